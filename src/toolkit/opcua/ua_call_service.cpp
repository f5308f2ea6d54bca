// UaServiceHandler: the Call service and the Server object's methods GetMonitoredItems and
// ResendData, both on the calling session's subscriptions.
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
// The subscription id argument of both methods; a status says what is wrong with it.
UaStatusCode SubscriptionIdArgument(const std::vector<UaVariant>& input, std::uint32_t& id,
                                    std::vector<UaStatusCode>& argumentResults) {
  if (input.empty()) return ua_status::BadArgumentsMissing;
  if (input.size() > 1) return ua_status::BadTooManyArguments;
  if (input[0].type != UaType::UInt32 || input[0].isArray) {
    argumentResults = {ua_status::BadTypeMismatch};
    return ua_status::BadInvalidArgument;
  }
  id = static_cast<std::uint32_t>(input[0].u);
  return ua_status::Good;
}
}  // namespace

void UaServiceHandler::Call(Context& ctx, const UaCallRequest& req) {
  UaSession* session = ctx.session;
  if (!CheckOperationCount(ctx, req.methods.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CallResponse);
  w.ArrayLength(req.methods.size());
  for (const UaCallMethodRequest& c : req.methods) {
    std::vector<UaStatusCode> argumentResults;
    std::vector<UaVariant> output;
    UaStatusCode status = ua_status::BadMethodInvalid;
    bool onServer = c.object.IsNumeric(0, ua_id::Server);
    std::uint32_t id = 0;
    if (!onServer && !m_space.Describe(c.object, false)) {
      status = ua_status::BadNodeIdUnknown;
    } else if (onServer && (c.method.IsNumeric(0, ua_id::GetMonitoredItems) ||
                            c.method.IsNumeric(0, ua_id::ResendData))) {
      status = SubscriptionIdArgument(c.input, id, argumentResults);
      UaSubscription* sub = status == ua_status::Good ? FindSubscription(*session, id) : nullptr;
      if (status == ua_status::Good && sub == nullptr) {
        // Another session's subscription is not this caller's to see.
        status = OwnerOf(id) != nullptr ? ua_status::BadUserAccessDenied
                                        : ua_status::BadSubscriptionIdInvalid;
      }
      if (sub != nullptr && c.method.IsNumeric(0, ua_id::GetMonitoredItems)) {
        std::vector<UaVariant> server, client;
        for (const auto& [itemId, item] : sub->items) {
          server.push_back(UaVariant::UInt32(itemId));
          client.push_back(UaVariant::UInt32(item->clientHandle));
        }
        output.push_back(UaVariant::Array(UaType::UInt32, std::move(server)));
        output.push_back(UaVariant::Array(UaType::UInt32, std::move(client)));
      } else if (sub != nullptr) {
        ResendData(*session, *sub);
      }
    }
    w.UInt32(status);
    w.ArrayLength(argumentResults.size());
    for (UaStatusCode s : argumentResults) w.UInt32(s);
    w.ArrayLength(0);
    w.ArrayLength(output.size());
    for (const UaVariant& v : output) w.Variant(v);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
