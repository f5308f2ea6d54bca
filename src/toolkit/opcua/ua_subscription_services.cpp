// UaServiceHandler: subscriptions, monitored items, Publish and Republish, and the timers that
// drive sampling, publishing cycles and session time-outs.
#include <algorithm>
#include <cmath>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
constexpr std::uint32_t kMaxQueueSize = 1000;
}  // namespace

UaSubscription* UaServiceHandler::SubscriptionFor(Context& ctx, std::uint32_t id) {
  UaSubscription* sub = FindSubscription(*ctx.session, id);
  if (sub == nullptr) Fault(ctx, ua_status::BadSubscriptionIdInvalid);
  return sub;
}

double UaServiceHandler::RevisedSamplingInterval(double requested, const UaSubscription& sub) {
  // A negative interval asks for the publishing interval; the served system revises the rest.
  double interval =
      std::isfinite(requested) && requested >= 0 ? requested : sub.publishingIntervalMs;
  auto rate = static_cast<std::uint32_t>(std::llround(std::min(interval, 3600000.0)));
  return std::max(1.0, static_cast<double>(m_callback.ReviseUpdateRate(rate)));
}

UaSubscription* UaServiceHandler::FindSubscription(UaSession& session, std::uint32_t id) {
  auto it = session.subscriptions.find(id);
  return it == session.subscriptions.end() ? nullptr : it->second.get();
}

void UaServiceHandler::CreateSubscription(Context& ctx, const UaCreateSubscriptionRequest& req) {
  UaSession* session = ctx.session;
  if (session->subscriptions.size() >= m_options.maxSubscriptionsPerSession) {
    return Fault(ctx, ua_status::BadTooManySubscriptions);
  }
  std::uint32_t id = m_nextSubscriptionId++;
  auto sub = std::make_unique<UaSubscription>(id, ctx.nowMs);
  sub->Revise(req.intervalMs, req.lifetimeCount, req.maxKeepAliveCount,
              m_options.minPublishingIntervalMs, m_options.maxSubscriptionLifetimeMs);
  sub->maxNotificationsPerPublish = req.maxNotificationsPerPublish;
  sub->publishingEnabled = req.publishingEnabled;
  sub->priority = req.priority;
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

void UaServiceHandler::ModifySubscription(Context& ctx, const UaModifySubscriptionRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  sub->Revise(req.intervalMs, req.lifetimeCount, req.maxKeepAliveCount,
              m_options.minPublishingIntervalMs, m_options.maxSubscriptionLifetimeMs);
  sub->maxNotificationsPerPublish = req.maxNotificationsPerPublish;
  sub->priority = req.priority;
  sub->nextPublishMs = std::min<std::int64_t>(sub->nextPublishMs,
                                              ctx.nowMs + std::llround(sub->publishingIntervalMs));
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ModifySubscriptionResponse);
  w.Double(sub->publishingIntervalMs);
  w.UInt32(sub->lifetimeCount);
  w.UInt32(sub->maxKeepAliveCount);
  Respond(ctx, out);
}

void UaServiceHandler::SetPublishingMode(Context& ctx, const UaSetPublishingModeRequest& req) {
  if (!CheckOperationCount(ctx, req.subscriptionIds.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetPublishingModeResponse);
  w.ArrayLength(req.subscriptionIds.size());
  for (std::uint32_t id : req.subscriptionIds) {
    UaSubscription* sub = FindSubscription(*ctx.session, id);
    if (sub != nullptr) sub->publishingEnabled = req.enabled;
    w.UInt32(sub != nullptr ? ua_status::Good : ua_status::BadSubscriptionIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::DeleteSubscriptions(Context& ctx, const UaDeleteSubscriptionsRequest& req) {
  UaSession* session = ctx.session;
  if (!CheckOperationCount(ctx, req.subscriptionIds.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::DeleteSubscriptionsResponse);
  w.ArrayLength(req.subscriptionIds.size());
  {
    std::lock_guard guard(m_callback.GetTagLock());
    for (std::uint32_t id : req.subscriptionIds) {
      auto it = session->subscriptions.find(id);
      if (it == session->subscriptions.end()) {
        w.UInt32(ua_status::BadSubscriptionIdInvalid);
        continue;
      }
      ForgetNotifications(*session, *it->second);
      session->subscriptions.erase(it);
      w.UInt32(ua_status::Good);
    }
  }
  w.ArrayLength(0);
  Respond(ctx, out);
  if (session->subscriptions.empty()) FailQueuedPublishes(*session, ua_status::BadNoSubscription);
}

void UaServiceHandler::CreateMonitoredItems(Context& ctx,
                                            const UaCreateMonitoredItemsRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  if (req.timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, req.items.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CreateMonitoredItemsResponse);
  w.ArrayLength(req.items.size());
  std::lock_guard guard(m_callback.GetTagLock());
  for (const UaMonitoredItemCreate& c : req.items) {
    UaStatusCode status = ua_status::Good;
    UaDataChangeFilter filter;
    CTag* tag = nullptr;
    if (c.mode > 2) {
      status = ua_status::BadMonitoringModeInvalid;
    } else if (c.hasIndexRange) {
      status = ua_status::BadIndexRangeInvalid;
    } else if (sub->items.size() >= m_options.maxMonitoredItemsPerSubscription) {
      status = ua_status::BadTooManyMonitoredItems;
    } else {
      UaStatusCode probe = m_space.Check(c.nodeId, c.attribute);
      if (probe == ua_status::BadNodeIdUnknown || probe == ua_status::BadAttributeIdInvalid) {
        status = probe;
      } else {
        tag = c.attribute == ua_attr::Value ? m_space.AcquireTag(c.nodeId) : nullptr;
        status = ParseDataChangeFilter(c.parameters.filter, c.attribute, tag, m_callback, filter);
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
    item->timestamps = static_cast<UaTimestampsToReturn>(req.timestamps);
    item->samplingIntervalMs = RevisedSamplingInterval(c.parameters.samplingInterval, *sub);
    item->queueSize = std::clamp<std::uint32_t>(c.parameters.queueSize, 1, kMaxQueueSize);
    item->discardOldest = c.parameters.discardOldest;
    // The first value goes out at once; later samples line up with the publishing cycle
    // when they are not faster than it, so a change waits at most one interval.
    CountNotifications(*ctx.session,
                       item->Sample(m_space, NotificationRoom(*ctx.session) > 0).grown);
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

void UaServiceHandler::ModifyMonitoredItems(Context& ctx,
                                            const UaModifyMonitoredItemsRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  if (req.timestamps > 3) return Fault(ctx, ua_status::BadTimestampsToReturnInvalid);
  if (!CheckOperationCount(ctx, req.items.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ModifyMonitoredItemsResponse);
  w.ArrayLength(req.items.size());
  for (const auto& [id, p] : req.items) {
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
        ParseDataChangeFilter(p.filter, item.AttributeId(), item.Tag(), m_callback, filter);
    if (status == ua_status::Good) {
      item.trigger = filter.trigger;
      item.deadband = filter.deadband;
      item.clientHandle = p.clientHandle;
      item.timestamps = static_cast<UaTimestampsToReturn>(req.timestamps);
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

void UaServiceHandler::SetMonitoringMode(Context& ctx, const UaSetMonitoringModeRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  if (req.mode > 2) return Fault(ctx, ua_status::BadMonitoringModeInvalid);
  if (!CheckOperationCount(ctx, req.itemIds.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::SetMonitoringModeResponse);
  w.ArrayLength(req.itemIds.size());
  for (std::uint32_t id : req.itemIds) {
    auto it = sub->items.find(id);
    if (it != sub->items.end()) it->second->mode = static_cast<UaMonitoringMode>(req.mode);
    w.UInt32(it != sub->items.end() ? ua_status::Good : ua_status::BadMonitoredItemIdInvalid);
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::DeleteMonitoredItems(Context& ctx,
                                            const UaDeleteMonitoredItemsRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  if (!CheckOperationCount(ctx, req.itemIds.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::DeleteMonitoredItemsResponse);
  w.ArrayLength(req.itemIds.size());
  {
    std::lock_guard guard(m_callback.GetTagLock());
    for (std::uint32_t id : req.itemIds) {
      auto it = sub->items.find(id);
      if (it == sub->items.end()) {
        w.UInt32(ua_status::BadMonitoredItemIdInvalid);
        continue;
      }
      CountNotifications(*ctx.session, -static_cast<std::ptrdiff_t>(it->second->QueuedCount()));
      sub->items.erase(it);
      w.UInt32(ua_status::Good);
    }
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::Publish(Context& ctx, const UaPublishRequest& req) {
  UaSession* session = ctx.session;
  // No client has more to acknowledge than every subscription's kept messages; the results
  // wait with the queued request, so a longer list is refused rather than held.
  if (req.acknowledgements.size() >
      std::size_t{m_options.maxSubscriptionsPerSession} * UaSubscription::kKeptMessages) {
    return Fault(ctx, ua_status::BadTooManyOperations);
  }
  UaPendingPublish pending;
  pending.connectionId = ctx.connection.Id();
  pending.requestId = ctx.requestId;
  pending.requestHandle = ctx.header.requestHandle;
  if (ctx.header.timeoutHint != 0) pending.deadlineMs = ctx.nowMs + ctx.header.timeoutHint;
  for (const auto& [subId, seq] : req.acknowledgements) {
    UaSubscription* sub = FindSubscription(*session, subId);
    pending.acknowledgeResults.push_back(sub == nullptr ? ua_status::BadSubscriptionIdInvalid
                                                        : sub->Acknowledge(seq));
  }
  if (session->subscriptions.empty()) return Fault(ctx, ua_status::BadNoSubscription);
  if (session->publishQueue.size() >= m_options.maxPublishRequestsPerSession) {
    return Fault(ctx, ua_status::BadTooManyPublishRequests);
  }
  session->publishQueue.push_back(std::move(pending));
  for (auto& [id, sub] : session->subscriptions) sub->lifetimeCounter = 0;
  ServeLateSubscriptions(*session);
}

void UaServiceHandler::Republish(Context& ctx, const UaRepublishRequest& req) {
  UaSubscription* sub = SubscriptionFor(ctx, req.subscriptionId);
  if (sub == nullptr) return;
  const std::vector<std::uint8_t>* message = sub->Retransmission(req.sequenceNumber);
  if (message == nullptr) return Fault(ctx, ua_status::BadMessageNotAvailable);
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::RepublishResponse);
  w.Raw(message->data(), message->size());
  Respond(ctx, out);
}

void UaServiceHandler::AnswerPublishRequest(const UaPendingPublish& pending, const Out& body) {
  UaConnection* connection = m_connections.FindConnection(pending.connectionId);
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
  CountNotifications(
      session, -static_cast<std::ptrdiff_t>(sub.WriteNotificationMessage(m, keepAlive, more)));
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

std::size_t UaServiceHandler::NotificationRoom(const UaSession& session) const {
  std::size_t sessionCap = m_options.maxQueuedNotificationsPerSession;
  std::size_t serverCap = m_options.maxQueuedNotifications;
  std::size_t room = std::min(sessionCap - std::min(sessionCap, session.queuedNotifications),
                              serverCap - std::min(serverCap, m_queuedNotifications));
  return room;
}

void UaServiceHandler::CountNotifications(UaSession& session, std::ptrdiff_t change) {
  session.queuedNotifications += static_cast<std::size_t>(change);
  m_queuedNotifications += static_cast<std::size_t>(change);
}

void UaServiceHandler::ForgetNotifications(UaSession& session, UaSubscription& sub) {
  CountNotifications(session, -static_cast<std::ptrdiff_t>(sub.QueuedNotifications()));
}

void UaServiceHandler::SampleSubscription(UaSession& session, UaSubscription& sub,
                                          std::int64_t nowMs) {
  std::size_t room = NotificationRoom(session);
  if (room == 0) {
    m_notificationLimitLog.Log(LogLevel::Warning,
                               "OPC UA: queued notifications at their limit for session \"" +
                                   session.name + "\"; changes wait for Publish requests");
  }
  std::lock_guard guard(m_callback.GetTagLock());
  CountNotifications(session, sub.SampleDue(m_space, nowMs, room));
}

void UaServiceHandler::ResendData(UaSession& session, UaSubscription& sub) {
  std::lock_guard guard(m_callback.GetTagLock());
  for (auto& [itemId, item] : sub.items) {
    CountNotifications(session, item->Resend(m_space, NotificationRoom(session) > 0).grown);
  }
}

void UaServiceHandler::RunPublishing(UaSession& session, std::int64_t nowMs) {
  std::vector<std::uint32_t> expired;
  for (auto& [id, subPtr] : session.subscriptions) {
    UaSubscription& sub = *subPtr;
    SampleSubscription(session, sub, nowMs);
    if (nowMs < sub.nextPublishMs) continue;
    // Cycles that passed while the server was busy (or its clock jumped) count as well.
    auto interval = std::max<std::int64_t>(1, std::llround(sub.publishingIntervalMs));
    auto cycles = static_cast<std::uint32_t>(
        std::min<std::int64_t>(1 + (nowMs - sub.nextPublishMs) / interval, 1000000));
    sub.nextPublishMs += std::int64_t{cycles} * interval;
    bool haveRequest = !session.publishQueue.empty();
    if (!haveRequest && (sub.lifetimeCounter += cycles) >= sub.lifetimeCount) {
      expired.push_back(id);
      continue;
    }
    if (sub.publishingEnabled && sub.HasNotifications()) {
      if (haveRequest) {
        SendPublishResponse(session, sub, false);
      } else {
        sub.late = true;
      }
    } else if ((sub.keepAliveCounter += cycles) >= sub.maxKeepAliveCount) {
      if (haveRequest) {
        SendPublishResponse(session, sub, true);
      } else {
        sub.late = true;
      }
    }
  }
  for (std::uint32_t id : expired) {
    UaSubscription& sub = *session.subscriptions[id];
    SendStatusChange(session, sub, ua_status::BadTimeout);
    std::lock_guard guard(m_callback.GetTagLock());
    ForgetNotifications(session, sub);
    session.subscriptions.erase(id);
  }
}

void UaServiceHandler::OnTimer(std::int64_t nowMs) {
  for (auto it = m_sessions.begin(); it != m_sessions.end();) {
    UaSession& session = *it->second;
    if (nowMs - session.lastActivityMs > std::llround(session.timeoutMs)) {
      auto dead = it++;
      CloseSession(dead, "timed out");
      continue;
    }
    if (!session.activated && nowMs - session.createdMs >= m_options.unactivatedSessionTimeoutMs) {
      auto dead = it++;
      CloseSession(dead, "not activated in time");
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
  for (const auto& [token, session] : m_sessions) {
    next = std::min<std::int64_t>(next,
                                  session->lastActivityMs + std::llround(session->timeoutMs) + 1);
    if (!session->activated) {
      next = std::min(next, session->createdMs + m_options.unactivatedSessionTimeoutMs);
    }
    for (const UaPendingPublish& p : session->publishQueue) next = std::min(next, p.deadlineMs);
    for (const auto& [id, sub] : session->subscriptions) next = std::min(next, sub->NextDueMs());
  }
  return next;
}
