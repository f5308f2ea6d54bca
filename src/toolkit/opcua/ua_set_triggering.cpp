// UaServiceHandler: SetTriggering, which links monitored items so that a reporting item's
// notification also sends the queued values of the sampling items it triggers.
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

void UaServiceHandler::SetTriggering(Context& ctx, const UaSetTriggeringRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  if (req.linksToAdd.empty() && req.linksToRemove.empty()) {
    return Fault(ctx, ua_status::BadNothingToDo);
  }
  if (!CheckOperationCount(ctx, req.linksToAdd.size() + req.linksToRemove.size())) return;
  auto triggering = sub->items.find(req.triggeringItemId);
  if (triggering == sub->items.end()) return Fault(ctx, ua_status::BadMonitoredItemIdInvalid);
  std::set<std::uint32_t>& links = triggering->second->triggers;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetTriggeringResponse);
  w.ArrayLength(req.linksToAdd.size());
  for (std::uint32_t id : req.linksToAdd) {
    bool known = sub->items.count(id) != 0;
    if (known) links.insert(id);
    w.UInt32(known ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  w.ArrayLength(req.linksToRemove.size());
  for (std::uint32_t id : req.linksToRemove) {
    w.UInt32(links.erase(id) != 0 ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
