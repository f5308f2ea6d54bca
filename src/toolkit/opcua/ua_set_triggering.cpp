// UaServiceHandler: SetTriggering, which links monitored items so that a reporting item's
// notification also sends the queued values of the sampling items it triggers.
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

void UaServiceHandler::SetTriggering(Context& ctx, UaBinaryReader& r) {
  std::uint32_t subscriptionId = r.UInt32();
  std::uint32_t triggeringId = r.UInt32();
  std::vector<std::uint32_t> toAdd = r.UInt32Array();
  std::vector<std::uint32_t> toRemove = r.UInt32Array();
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  if (toAdd.empty() && toRemove.empty()) return Fault(ctx, ua_status::BadNothingToDo);
  if (!CheckOperationCount(ctx, toAdd.size() + toRemove.size())) return;
  auto triggering = sub->items.find(triggeringId);
  if (triggering == sub->items.end()) return Fault(ctx, ua_status::BadMonitoredItemIdInvalid);
  std::set<std::uint32_t>& links = triggering->second->triggers;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetTriggeringResponse);
  w.ArrayLength(toAdd.size());
  for (std::uint32_t id : toAdd) {
    bool known = sub->items.count(id) != 0;
    if (known) links.insert(id);
    w.UInt32(known ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  w.ArrayLength(toRemove.size());
  for (std::uint32_t id : toRemove) {
    w.UInt32(links.erase(id) != 0 ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
