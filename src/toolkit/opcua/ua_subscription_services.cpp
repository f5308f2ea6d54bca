// UaServiceHandler: subscriptions, monitored items, Publish and Republish, and the timers that
// drive sampling, publishing cycles and session time-outs.
#include <algorithm>
#include <cmath>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
constexpr std::uint32_t kMaxQueueSize = 1000;

struct MonitoringParameters {
  std::uint32_t clientHandle = 0;
  double samplingInterval = 0;
  UaExtensionObject filter;
  std::uint32_t queueSize = 1;
  bool discardOldest = true;
};

MonitoringParameters ReadMonitoringParameters(UaBinaryReader& r) {
  MonitoringParameters p;
  p.clientHandle = r.UInt32();
  p.samplingInterval = r.Double();
  p.filter = r.ExtensionObject();
  p.queueSize = r.UInt32();
  p.discardOldest = r.Boolean();
  return p;
}

}  // namespace

UaSubscription* UaServiceHandler::SubscriptionFor(Context& ctx, std::uint32_t id) {
  UaSession* session = SessionFor(ctx, true);
  if (session == nullptr) return nullptr;
  UaSubscription* sub = FindSubscription(*session, id);
  if (sub == nullptr) Fault(ctx, ua_status::BadSubscriptionIdInvalid);
  return sub;
}

double UaServiceHandler::RevisedSamplingInterval(double requested, const UaSubscription& sub) {
  // A negative interval asks for the publishing interval; the served system revises the rest.
  double interval =
      std::isfinite(requested) && requested >= 0 ? requested : sub.publishingIntervalMs;
  auto rate = static_cast<std::uint32_t>(std::llround(std::min(interval, 3600000.0)));
  return std::max(1.0, static_cast<double>(callback_.ReviseUpdateRate(rate)));
}

UaSubscription* UaServiceHandler::FindSubscription(UaSession& session, std::uint32_t id) {
  auto it = session.subscriptions.find(id);
  return it == session.subscriptions.end() ? nullptr : it->second.get();
}

void UaServiceHandler::CreateSubscription(Context& ctx, UaBinaryReader& r) {
  double interval = r.Double();
  std::uint32_t lifetime = r.UInt32();
  std::uint32_t keepAlive = r.UInt32();
  std::uint32_t maxNotifications = r.UInt32();
  bool enabled = r.Boolean();
  std::uint8_t priority = r.Byte();
  UaSession* session = SessionFor(ctx, true);
  if (session == nullptr) return;
  if (session->subscriptions.size() >= options_.maxSubscriptionsPerSession) {
    return Fault(ctx, ua_status::BadTooManySubscriptions);
  }
  std::uint32_t id = nextSubscriptionId_++;
  auto sub = std::make_unique<UaSubscription>(id, ctx.nowMs);
  sub->Revise(interval, lifetime, keepAlive, options_.minPublishingIntervalMs);
  sub->maxNotificationsPerPublish = maxNotifications;
  sub->publishingEnabled = enabled;
  sub->priority = priority;
  sub->nextPublishMs = ctx.nowMs + std::llround(sub->publishingIntervalMs);
  // The first cycle tells the client the subscription works, with data or a keep-alive.
  sub->keepAliveCounter = sub->maxKeepAliveCount - 1;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CreateSubscriptionResponse);
  w.UInt32(id);
  w.Double(sub->publishingIntervalMs);
  w.UInt32(sub->lifetimeCount);
  w.UInt32(sub->maxKeepAliveCount);
  session->subscriptions.emplace(id, std::move(sub));
  Respond(ctx, out);
}

void UaServiceHandler::ModifySubscription(Context& ctx, UaBinaryReader& r) {
  std::uint32_t id = r.UInt32();
  double interval = r.Double();
  std::uint32_t lifetime = r.UInt32();
  std::uint32_t keepAlive = r.UInt32();
  std::uint32_t maxNotifications = r.UInt32();
  std::uint8_t priority = r.Byte();
  UaSubscription* sub = SubscriptionFor(ctx, id);
  if (sub == nullptr) return;
  sub->Revise(interval, lifetime, keepAlive, options_.minPublishingIntervalMs);
  sub->maxNotificationsPerPublish = maxNotifications;
  sub->priority = priority;
  sub->nextPublishMs = std::min<std::int64_t>(sub->nextPublishMs,
                                              ctx.nowMs + std::llround(sub->publishingIntervalMs));
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ModifySubscriptionResponse);
  w.Double(sub->publishingIntervalMs);
  w.UInt32(sub->lifetimeCount);
  w.UInt32(sub->maxKeepAliveCount);
  Respond(ctx, out);
}

void UaServiceHandler::SetPublishingMode(Context& ctx, UaBinaryReader& r) {
  bool enabled = r.Boolean();
  std::vector<std::uint32_t> ids = r.UInt32Array();
  UaSession* session = SessionFor(ctx, true);
  if (session == nullptr) return;
  if (!CheckOperationCount(ctx, ids.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetPublishingModeResponse);
  w.ArrayLength(ids.size());
  for (std::uint32_t id : ids) {
    UaSubscription* sub = FindSubscription(*session, id);
    if (sub != nullptr) sub->publishingEnabled = enabled;
    w.UInt32(sub != nullptr ? ua_status::Good : ua_status::BadSubscriptionIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::DeleteSubscriptions(Context& ctx, UaBinaryReader& r) {
  std::vector<std::uint32_t> ids = r.UInt32Array();
  UaSession* session = SessionFor(ctx, true);
  if (session == nullptr) return;
  if (!CheckOperationCount(ctx, ids.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::DeleteSubscriptionsResponse);
  w.ArrayLength(ids.size());
  {
    std::lock_guard guard(callback_.GetTagLock());
    for (std::uint32_t id : ids) {
      w.UInt32(session->subscriptions.erase(id) != 0 ? ua_status::Good
                                                     : ua_status::BadSubscriptionIdInvalid);
    }
  }
  w.ArrayLength(0);
  Respond(ctx, out);
  if (session->subscriptions.empty()) FailQueuedPublishes(*session, ua_status::BadNoSubscription);
}

void UaServiceHandler::CreateMonitoredItems(Context& ctx, UaBinaryReader& r) {
  struct CreateRequest {
    UaNodeId nodeId;
    std::uint32_t attribute = 0;
    bool hasIndexRange = false;
    std::uint32_t mode = 0;
    MonitoringParameters parameters;
  };
  std::uint32_t subscriptionId = r.UInt32();
  std::uint32_t timestamps = r.UInt32();
  std::vector<CreateRequest> requests(r.ArrayLength(16));
  for (CreateRequest& c : requests) {
    c.nodeId = r.NodeId();
    c.attribute = r.UInt32();
    c.hasIndexRange = !r.String().empty();
    r.QualifiedName();
    c.mode = r.UInt32();
    c.parameters = ReadMonitoringParameters(r);
  }
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  if (timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, requests.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CreateMonitoredItemsResponse);
  w.ArrayLength(requests.size());
  std::lock_guard guard(callback_.GetTagLock());
  for (CreateRequest& c : requests) {
    UaStatusCode status = ua_status::Good;
    UaDataChangeFilter filter;
    CTag* tag = nullptr;
    if (c.mode > 2) {
      status = ua_status::BadMonitoringModeInvalid;
    } else if (c.hasIndexRange) {
      status = ua_status::BadIndexRangeInvalid;
    } else if (sub->items.size() >= options_.maxMonitoredItemsPerSubscription) {
      status = ua_status::BadTooManyMonitoredItems;
    } else {
      UaStatusCode probe = space_.Check(c.nodeId, c.attribute);
      if (probe == ua_status::BadNodeIdUnknown || probe == ua_status::BadAttributeIdInvalid) {
        status = probe;
      } else {
        tag = c.attribute == ua_attr::Value ? space_.AcquireTag(c.nodeId) : nullptr;
        status = ParseDataChangeFilter(c.parameters.filter, c.attribute, tag, callback_, filter);
        if (status != ua_status::Good && tag != nullptr) tag->Release();
      }
    }
    if (status != ua_status::Good) {
      w.UInt32(status);
      w.UInt32(0);
      w.Double(0);
      w.UInt32(0);
      w.NullExtensionObject();
      continue;
    }
    std::uint32_t id = sub->nextItemId++;
    auto item = std::make_unique<UaMonitoredItem>(id, c.nodeId, c.attribute, tag);
    item->clientHandle = c.parameters.clientHandle;
    item->mode = static_cast<UaMonitoringMode>(c.mode);
    item->trigger = filter.trigger;
    item->deadband = filter.deadband;
    item->timestamps = static_cast<UaTimestampsToReturn>(timestamps);
    item->samplingIntervalMs = RevisedSamplingInterval(c.parameters.samplingInterval, *sub);
    item->queueSize = std::clamp<std::uint32_t>(c.parameters.queueSize, 1, kMaxQueueSize);
    item->discardOldest = c.parameters.discardOldest;
    // The first value goes out at once; later samples line up with the publishing cycle
    // when they are not faster than it, so a change waits at most one interval.
    item->Sample(space_);
    item->nextSampleMs = item->samplingIntervalMs >= sub->publishingIntervalMs
                             ? sub->nextPublishMs
                             : ctx.nowMs + std::llround(item->samplingIntervalMs);
    w.UInt32(ua_status::Good);
    w.UInt32(id);
    w.Double(item->samplingIntervalMs);
    w.UInt32(item->queueSize);
    w.NullExtensionObject();
    sub->items.emplace(id, std::move(item));
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::ModifyMonitoredItems(Context& ctx, UaBinaryReader& r) {
  std::uint32_t subscriptionId = r.UInt32();
  std::uint32_t timestamps = r.UInt32();
  std::vector<std::pair<std::uint32_t, MonitoringParameters>> requests(r.ArrayLength(8));
  for (auto& [id, p] : requests) {
    id = r.UInt32();
    p = ReadMonitoringParameters(r);
  }
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  if (timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, requests.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ModifyMonitoredItemsResponse);
  w.ArrayLength(requests.size());
  for (auto& [id, p] : requests) {
    auto it = sub->items.find(id);
    if (it == sub->items.end()) {
      w.UInt32(ua_status::BadMonitoredItemIdInvalid);
      w.Double(0);
      w.UInt32(0);
      w.NullExtensionObject();
      continue;
    }
    UaMonitoredItem& item = *it->second;
    UaDataChangeFilter filter;
    UaStatusCode status =
        ParseDataChangeFilter(p.filter, item.AttributeId(), item.Tag(), callback_, filter);
    if (status == ua_status::Good) {
      item.trigger = filter.trigger;
      item.deadband = filter.deadband;
      item.clientHandle = p.clientHandle;
      item.timestamps = static_cast<UaTimestampsToReturn>(timestamps);
      item.samplingIntervalMs = RevisedSamplingInterval(p.samplingInterval, *sub);
      item.queueSize = std::clamp<std::uint32_t>(p.queueSize, 1, kMaxQueueSize);
      item.discardOldest = p.discardOldest;
    }
    w.UInt32(status);
    w.Double(item.samplingIntervalMs);
    w.UInt32(item.queueSize);
    w.NullExtensionObject();
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::SetMonitoringMode(Context& ctx, UaBinaryReader& r) {
  std::uint32_t subscriptionId = r.UInt32();
  std::uint32_t mode = r.UInt32();
  std::vector<std::uint32_t> ids = r.UInt32Array();
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  if (mode > 2) return Fault(ctx, ua_status::BadMonitoringModeInvalid);
  if (!CheckOperationCount(ctx, ids.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetMonitoringModeResponse);
  w.ArrayLength(ids.size());
  for (std::uint32_t id : ids) {
    auto it = sub->items.find(id);
    if (it != sub->items.end()) it->second->mode = static_cast<UaMonitoringMode>(mode);
    w.UInt32(it != sub->items.end() ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::DeleteMonitoredItems(Context& ctx, UaBinaryReader& r) {
  std::uint32_t subscriptionId = r.UInt32();
  std::vector<std::uint32_t> ids = r.UInt32Array();
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  if (!CheckOperationCount(ctx, ids.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::DeleteMonitoredItemsResponse);
  w.ArrayLength(ids.size());
  {
    std::lock_guard guard(callback_.GetTagLock());
    for (std::uint32_t id : ids) {
      w.UInt32(sub->items.erase(id) != 0 ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
    }
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::Publish(Context& ctx, UaBinaryReader& r) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> acks(r.ArrayLength(8));
  for (auto& [sub, seq] : acks) {
    sub = r.UInt32();
    seq = r.UInt32();
  }
  UaSession* session = SessionFor(ctx, true);
  if (session == nullptr) return;
  UaPendingPublish pending;
  pending.connectionId = ctx.connection.Id();
  pending.requestId = ctx.requestId;
  pending.requestHandle = ctx.header.requestHandle;
  if (ctx.header.timeoutHint != 0) pending.deadlineMs = ctx.nowMs + ctx.header.timeoutHint;
  for (auto& [subId, seq] : acks) {
    UaSubscription* sub = FindSubscription(*session, subId);
    pending.acknowledgeResults.push_back(sub == nullptr ? ua_status::BadSubscriptionIdInvalid
                                                        : sub->Acknowledge(seq));
  }
  if (session->subscriptions.empty()) return Fault(ctx, ua_status::BadNoSubscription);
  if (session->publishQueue.size() >= options_.maxPublishRequestsPerSession) {
    return Fault(ctx, ua_status::BadTooManyPublishRequests);
  }
  session->publishQueue.push_back(std::move(pending));
  for (auto& [id, sub] : session->subscriptions) sub->lifetimeCounter = 0;
  ServeLateSubscriptions(*session);
}

void UaServiceHandler::Republish(Context& ctx, UaBinaryReader& r) {
  std::uint32_t subscriptionId = r.UInt32();
  std::uint32_t sequence = r.UInt32();
  UaSubscription* sub = SubscriptionFor(ctx, subscriptionId);
  if (sub == nullptr) return;
  const std::vector<std::uint8_t>* message = sub->Retransmission(sequence);
  if (message == nullptr) return Fault(ctx, ua_status::BadMessageNotAvailable);
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::RepublishResponse);
  w.Raw(message->data(), message->size());
  Respond(ctx, out);
}

void UaServiceHandler::AnswerPublishRequest(const UaPendingPublish& pending, const Out& body) {
  UaConnection* connection = connections_.FindConnection(pending.connectionId);
  if (connection != nullptr)
    connection->SendResponse(pending.requestId, pending.requestHandle, body);
}

void UaServiceHandler::FailQueuedPublishes(UaSession& session, UaStatusCode status) {
  while (!session.publishQueue.empty()) {
    UaPendingPublish pending = std::move(session.publishQueue.front());
    session.publishQueue.pop_front();
    AnswerPublishRequest(pending, MakeServiceFault(pending.requestHandle, status));
  }
}

void UaServiceHandler::SendPublishResponse(UaSession& session, UaSubscription& sub,
                                           bool keepAlive) {
  UaPendingPublish pending = std::move(session.publishQueue.front());
  session.publishQueue.pop_front();
  Out message;
  UaBinaryWriter m(message);
  bool more = false;
  sub.WriteNotificationMessage(m, keepAlive, more);
  Out out;
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::PublishResponse));
  WriteResponseHeader(w, pending.requestHandle);
  w.UInt32(sub.Id());
  sub.WriteAvailableSequenceNumbers(w);
  w.Boolean(more);
  w.Raw(message.data(), message.size());
  w.ArrayLength(pending.acknowledgeResults.size());
  for (UaStatusCode s : pending.acknowledgeResults) w.UInt32(s);
  w.ArrayLength(0);
  sub.keepAliveCounter = 0;
  sub.lifetimeCounter = 0;
  sub.late = more;
  AnswerPublishRequest(pending, out);
}

void UaServiceHandler::SendStatusChange(UaSession& session, UaSubscription& sub,
                                        UaStatusCode status) {
  if (session.publishQueue.empty()) return;
  UaPendingPublish pending = std::move(session.publishQueue.front());
  session.publishQueue.pop_front();
  Out out;
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::PublishResponse));
  WriteResponseHeader(w, pending.requestHandle);
  w.UInt32(sub.Id());
  w.ArrayLength(0);
  w.Boolean(false);
  sub.WriteStatusChange(w, status);
  w.ArrayLength(pending.acknowledgeResults.size());
  for (UaStatusCode s : pending.acknowledgeResults) w.UInt32(s);
  w.ArrayLength(0);
  AnswerPublishRequest(pending, out);
}

void UaServiceHandler::ServeLateSubscriptions(UaSession& session) {
  while (!session.publishQueue.empty()) {
    UaSubscription* late = nullptr;
    for (auto& [id, sub] : session.subscriptions) {
      if (sub->late) {
        late = sub.get();
        break;
      }
    }
    if (late == nullptr) return;
    SendPublishResponse(session, *late, !(late->publishingEnabled && late->HasNotifications()));
  }
}

void UaServiceHandler::SampleSubscription(UaSubscription& sub, std::int64_t nowMs) {
  std::lock_guard guard(callback_.GetTagLock());
  sub.SampleDue(space_, nowMs);
}

void UaServiceHandler::RunPublishing(UaSession& session, std::int64_t nowMs) {
  std::vector<std::uint32_t> expired;
  for (auto& [id, subPtr] : session.subscriptions) {
    UaSubscription& sub = *subPtr;
    SampleSubscription(sub, nowMs);
    if (nowMs < sub.nextPublishMs) continue;
    auto interval = std::max<std::int64_t>(1, std::llround(sub.publishingIntervalMs));
    sub.nextPublishMs += interval;
    if (sub.nextPublishMs <= nowMs) sub.nextPublishMs = nowMs + interval;
    bool haveRequest = !session.publishQueue.empty();
    if (!haveRequest && ++sub.lifetimeCounter >= sub.lifetimeCount) {
      expired.push_back(id);
      continue;
    }
    if (sub.publishingEnabled && sub.HasNotifications()) {
      if (haveRequest) {
        SendPublishResponse(session, sub, false);
      } else {
        sub.late = true;
      }
    } else if (++sub.keepAliveCounter >= sub.maxKeepAliveCount) {
      if (haveRequest) {
        SendPublishResponse(session, sub, true);
      } else {
        sub.late = true;
      }
    }
  }
  for (std::uint32_t id : expired) {
    SendStatusChange(session, *session.subscriptions[id], ua_status::BadTimeout);
    std::lock_guard guard(callback_.GetTagLock());
    session.subscriptions.erase(id);
  }
}

void UaServiceHandler::OnTimer(std::int64_t nowMs) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    UaSession& session = *it->second;
    if (nowMs - session.lastActivityMs > std::llround(session.timeoutMs)) {
      auto dead = it++;
      CloseSession(dead);
      continue;
    }
    auto& queue = session.publishQueue;
    for (auto p = queue.begin(); p != queue.end();) {
      if (p->deadlineMs <= nowMs) {
        AnswerPublishRequest(*p, MakeServiceFault(p->requestHandle, ua_status::BadTimeout));
        p = queue.erase(p);
      } else {
        ++p;
      }
    }
    RunPublishing(session, nowMs);
    ++it;
  }
}

std::int64_t UaServiceHandler::NextDueMs() const {
  std::int64_t next = INT64_MAX;
  for (const auto& [token, session] : sessions_) {
    next = std::min<std::int64_t>(next,
                                  session->lastActivityMs + std::llround(session->timeoutMs) + 1);
    for (const UaPendingPublish& p : session->publishQueue) next = std::min(next, p.deadlineMs);
    for (const auto& [id, sub] : session->subscriptions) next = std::min(next, sub->NextDueMs());
  }
  return next;
}
