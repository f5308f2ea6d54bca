// UaServiceHandler: Read and Write.
#include <mutex>

#include "toolkit/opcua/ua_monitored_item.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

void UaServiceHandler::Read(Context& ctx, UaBinaryReader& r) {
  // The ReadValueIds are checked once here so a malformed request is refused before anything
  // is read, and decoded again, into one reused NodeId, while the response is written.
  auto skipReadValueId = [](UaBinaryReader& from) {
    from.SkipNodeId();
    from.UInt32();
    from.StringView();  // index range
    from.UInt16();      // data encoding
    from.StringView();
  };
  double maxAge = r.Double();
  std::uint32_t timestamps = r.UInt32();
  std::uint32_t count = r.ArrayLength(9);
  UaBinaryReader nodes(r.Current(), r.Remaining());
  for (std::uint32_t i = 0; i < count; ++i) skipReadValueId(r);
  if (SessionFor(ctx, true) == nullptr) return;
  if (!(maxAge >= 0)) return Fault(ctx, ua_status::BadMaxAgeInvalid);
  if (timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, count)) return;

  auto ttr = static_cast<UaTimestampsToReturn>(timestamps);
  bool source = ttr == UaTimestampsToReturn::Source || ttr == UaTimestampsToReturn::Both;
  bool server = ttr == UaTimestampsToReturn::Server || ttr == UaTimestampsToReturn::Both;
  UaDateTime now = UaNow();
  Out out;
  out.reserve(64 + std::size_t{count} * 24);
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::ReadResponse));
  WriteResponseHeader(w, ctx.header.requestHandle);
  w.ArrayLength(count);
  // Item values are read under one hold of the tag lock per run of them; anything else is read
  // without it, as it takes the lock itself where needed.
  std::unique_lock tagLock(callback_.GetTagLock(), std::defer_lock);
  UaNodeId nodeId;
  UaDataValue dv;
  for (std::uint32_t i = 0; i < count; ++i) {
    nodes.NodeIdInto(nodeId);
    std::uint32_t attribute = nodes.UInt32();
    bool hasIndexRange = !nodes.StringView().empty();
    nodes.UInt16();  // data encoding: only the default one is offered
    nodes.StringView();
    bool isValue = attribute == ua_attr::Value;
    if (hasIndexRange) {
      dv = UaDataValue::Status(ua_status::BadIndexRangeInvalid);
    } else {
      bool done = false;
      if (isValue) {
        if (!tagLock.owns_lock()) tagLock.lock();
        done = space_.ReadItemValue(nodeId, maxAge, dv);
      }
      if (!done) {
        if (tagLock.owns_lock()) tagLock.unlock();
        dv = space_.Read(nodeId, attribute, maxAge);
      }
    }
    if (!source || !isValue) dv.hasSourceTimestamp = false;
    if (server && isValue) {
      dv.hasServerTimestamp = true;
      dv.serverTimestamp = now;
    }
    w.DataValue(dv);
  }
  if (tagLock.owns_lock()) tagLock.unlock();
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
    } else if (n.value.hasStatus || n.value.hasSourceTimestamp || n.value.hasServerTimestamp) {
      // Status and time stamps come from the bus, never from a client.
      status = ua_status::BadWriteNotSupported;
    } else {
      status = space_.Write(n.nodeId, n.attribute, n.value.value);
    }
    w.UInt32(status);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
