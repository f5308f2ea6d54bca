// UaServiceHandler: Read and Write.
#include "toolkit/opcua/ua_monitored_item.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

void UaServiceHandler::Read(Context& ctx, UaBinaryReader& r) {
  struct ReadValueId {
    UaNodeId nodeId;
    std::uint32_t attribute = 0;
    bool hasIndexRange = false;
  };
  double maxAge = r.Double();
  std::uint32_t timestamps = r.UInt32();
  std::vector<ReadValueId> nodes(r.ArrayLength(9));
  for (ReadValueId& n : nodes) {
    n.nodeId = r.NodeId();
    n.attribute = r.UInt32();
    n.hasIndexRange = !r.String().empty();
    r.QualifiedName();  // data encoding: only the default one is offered
  }
  if (SessionFor(ctx, true) == nullptr) return;
  if (!(maxAge >= 0)) return Fault(ctx, ua_status::BadMaxAgeInvalid);
  if (timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, nodes.size())) return;

  auto ttr = static_cast<UaTimestampsToReturn>(timestamps);
  bool source = ttr == UaTimestampsToReturn::Source || ttr == UaTimestampsToReturn::Both;
  bool server = ttr == UaTimestampsToReturn::Server || ttr == UaTimestampsToReturn::Both;
  UaDateTime now = UaNow();
  Out out;
  out.reserve(64 + nodes.size() * 24);
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::ReadResponse));
  WriteResponseHeader(w, ctx.header.requestHandle);
  w.ArrayLength(nodes.size());
  for (const ReadValueId& n : nodes) {
    UaDataValue dv = n.hasIndexRange ? UaDataValue::Status(ua_status::BadIndexRangeInvalid)
                                     : space_.Read(n.nodeId, n.attribute, maxAge);
    bool isValue = n.attribute == ua_attr::Value;
    if (!source || !isValue) dv.hasSourceTimestamp = false;
    if (server && isValue) {
      dv.hasServerTimestamp = true;
      dv.serverTimestamp = now;
    }
    w.DataValue(dv);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::Write(Context& ctx, UaBinaryReader& r) {
  struct WriteValue {
    UaNodeId nodeId;
    std::uint32_t attribute = 0;
    bool hasIndexRange = false;
    UaDataValue value;
  };
  std::vector<WriteValue> nodes(r.ArrayLength(9));
  for (WriteValue& n : nodes) {
    n.nodeId = r.NodeId();
    n.attribute = r.UInt32();
    n.hasIndexRange = !r.String().empty();
    n.value = r.DataValue();
  }
  if (SessionFor(ctx, true) == nullptr) return;
  if (!CheckOperationCount(ctx, nodes.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::WriteResponse);
  w.ArrayLength(nodes.size());
  for (const WriteValue& n : nodes) {
    UaStatusCode status;
    if (n.hasIndexRange) {
      status = ua_status::BadIndexRangeInvalid;
    } else if (!n.value.hasValue) {
      status = ua_status::BadTypeMismatch;
    } else {
      status = space_.Write(n.nodeId, n.attribute, n.value.value);
    }
    w.UInt32(status);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
