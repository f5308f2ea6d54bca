// UaServiceHandler: Read and Write.
#include <mutex>

#include "toolkit/opcua/ua_monitored_item.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
// What a read-only user may do of a variable's access: read its value and history.
constexpr std::uint64_t kReadOnlyAccess = 0x01 | 0x04;
}  // namespace

void UaServiceHandler::Read(Context& ctx, const UaReadRequest& req) {
  if (!(req.maxAge >= 0)) return Fault(ctx, ua_status::BadMaxAgeInvalid);
  if (req.timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, req.nodes.size())) return;

  auto ttr = static_cast<UaTimestampsToReturn>(req.timestamps);
  bool source = ttr == UaTimestampsToReturn::Source || ttr == UaTimestampsToReturn::Both;
  bool server = ttr == UaTimestampsToReturn::Server || ttr == UaTimestampsToReturn::Both;
  UaDateTime now = UaNow();
  Out out;
  out.reserve(64 + req.nodes.size() * 24);
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::ReadResponse));
  WriteResponseHeader(w, ctx.header.requestHandle);
  w.ArrayLength(req.nodes.size());
  // Time stamps as asked for; they belong to values only.
  auto writeValue = [&](UaDataValue& dv, bool isValue) {
    if (!source || !isValue) dv.hasSourceTimestamp = false;
    if (server && isValue) {
      dv.hasServerTimestamp = true;
      dv.serverTimestamp = now;
    }
    w.DataValue(dv);
  };
  std::unique_lock tagLock(m_callback.GetTagLock(), std::defer_lock);
  UaDataValue dv;
  // The usual Read asks for item values only: all of them are found first, under one hold of
  // the tag lock, so that the reads of their values (spread over a large project's memory)
  // overlap instead of waiting for each other.
  tagLock.lock();
  m_readTags.clear();
  for (const UaReadValueId& n : req.nodes) {
    CTag* tag =
        n.attribute == ua_attr::Value && !n.hasIndexRange ? m_space.ItemTag(n.nodeId) : nullptr;
    if (tag == nullptr) break;
    __builtin_prefetch(tag);
    m_readTags.push_back(tag);
  }
  if (m_readTags.size() == req.nodes.size()) {
    for (CTag* tag : m_readTags) {
      m_space.ReadTagValue(*tag, req.maxAge, dv);
      writeValue(dv, true);
    }
    tagLock.unlock();
    w.ArrayLength(0);
    return Respond(ctx, out);
  }
  tagLock.unlock();
  // Otherwise item values are read under one hold of the tag lock per run of them; anything
  // else is read without it, as it takes the lock itself where needed.
  for (const UaReadValueId& n : req.nodes) {
    const UaNodeId nodeId = n.nodeId.Owned();
    std::uint32_t attribute = n.attribute;
    bool hasIndexRange = n.hasIndexRange;
    bool isValue = attribute == ua_attr::Value;
    if (hasIndexRange) {
      dv = UaDataValue::Status(ua_status::BadIndexRangeInvalid);
    } else {
      bool done = false;
      if (isValue) {
        if (!tagLock.owns_lock()) tagLock.lock();
        done = m_space.ReadItemValue(nodeId, req.maxAge, dv);
      }
      if (!done) {
        if (tagLock.owns_lock()) tagLock.unlock();
        dv = m_space.Read(nodeId, attribute, req.maxAge);
      }
    }
    // UserAccessLevel says what this session's user may do.
    if (attribute == ua_attr::UserAccessLevel && ctx.session && ctx.session->readOnly &&
        dv.hasValue) {
      dv.value.u &= kReadOnlyAccess;
    }
    writeValue(dv, isValue);
  }
  if (tagLock.owns_lock()) tagLock.unlock();
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::Write(Context& ctx, const UaWriteRequest& req) {
  if (!CheckOperationCount(ctx, req.nodes.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::WriteResponse);
  w.ArrayLength(req.nodes.size());
  for (const UaWriteValue& n : req.nodes) {
    UaStatusCode status;
    if (ctx.session && ctx.session->readOnly) {
      status = ua_status::BadUserAccessDenied;
    } else if (n.hasIndexRange) {
      status = ua_status::BadIndexRangeInvalid;
    } else if (!n.value.hasValue) {
      status = ua_status::BadTypeMismatch;
    } else if (n.value.hasStatus || n.value.hasSourceTimestamp || n.value.hasServerTimestamp) {
      // Status and time stamps come from the bus, never from a client.
      status = ua_status::BadWriteNotSupported;
    } else {
      status = m_space.Write(n.nodeId, n.attribute, n.value.value);
    }
    w.UInt32(status);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
