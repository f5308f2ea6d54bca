// UaServiceHandler: TransferSubscriptions, which moves subscriptions to the calling session so
// that a client reconnecting with a new session keeps them.
#include <mutex>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

UaSession* UaServiceHandler::OwnerOf(std::uint32_t subscriptionId) {
  for (auto& [token, session] : m_sessions) {
    if (session->subscriptions.count(subscriptionId) != 0) return session.get();
  }
  return nullptr;
}

void UaServiceHandler::TransferSubscriptions(Context& ctx,
                                             const UaTransferSubscriptionsRequest& req) {
  UaSession* session = ctx.session;
  if (!CheckOperationCount(ctx, req.subscriptionIds.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::TransferSubscriptionsResponse);
  w.ArrayLength(req.subscriptionIds.size());
  for (std::uint32_t id : req.subscriptionIds) {
    UaSession* owner = OwnerOf(id);
    if (owner == nullptr) {
      w.UInt32(ua_status::BadSubscriptionIdInvalid);
      w.ArrayLength(0);
      continue;
    }
    if (owner != session) {
      if (session->subscriptions.size() >= m_options.maxSubscriptionsPerSession) {
        w.UInt32(ua_status::BadTooManySubscriptions);
        w.ArrayLength(0);
        continue;
      }
      // The old session learns where its subscription went, with its next Publish.
      auto it = owner->subscriptions.find(id);
      SendStatusChange(*owner, *it->second, ua_status::GoodSubscriptionTransferred);
      // Its queued notifications count against the new session's limit from now on.
      auto queued = static_cast<std::ptrdiff_t>(it->second->QueuedNotifications());
      CountNotifications(*owner, -queued);
      CountNotifications(*session, queued);
      session->subscriptions.emplace(id, std::move(it->second));
      owner->subscriptions.erase(it);
      if (owner->subscriptions.empty()) FailQueuedPublishes(*owner, ua_status::BadNoSubscription);
    }
    UaSubscription& sub = *session->subscriptions[id];
    if (req.sendInitialValues) ResendData(*session, sub);
    w.UInt32(ua_status::Good);
    sub.WriteAvailableSequenceNumbers(w);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
