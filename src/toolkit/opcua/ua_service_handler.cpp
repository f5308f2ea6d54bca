// UaServiceHandler: request dispatch, discovery and session services.
#include "toolkit/opcua/ua_service_handler.h"

#include <algorithm>

#include "toolkit/opcua/ua_node_ids.h"

namespace {
constexpr std::string_view kPolicyNone = "http://opcfoundation.org/UA/SecurityPolicy#None";
constexpr std::string_view kTransportProfile =
    "http://opcfoundation.org/UA-Profile/Transport/uatcp-uasc-uabinary";

void SkipApplicationDescription(UaBinaryReader& r) {
  r.String();
  r.String();
  r.LocalizedText();
  r.UInt32();
  r.String();
  r.String();
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
}

void SkipSignatureData(UaBinaryReader& r) {
  r.String();
  r.ByteString();
}
}  // namespace

UaServiceHandler::UaServiceHandler(COPCCallback& callback, const UaServerOptions& options,
                                   UaConnectionDirectory& connections)
    : callback_(callback),
      options_(options),
      connections_(connections),
      space_(callback, options),
      random_(std::random_device{}()) {}

UaServiceHandler::~UaServiceHandler() {
  CloseAllSessions();
}

std::string UaServiceHandler::RandomBytes(std::size_t n) {
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random_() & 0xFF);
  return out;
}

void UaServiceHandler::Respond(Context& ctx, const Out& body) {
  ctx.connection.SendResponse(ctx.requestId, ctx.header.requestHandle, body);
}

void UaServiceHandler::Fault(Context& ctx, UaStatusCode status) {
  Respond(ctx, MakeServiceFault(ctx.header.requestHandle, status));
}

void UaServiceHandler::OnServiceRequest(UaConnection& connection, std::uint32_t requestId,
                                        UaBinaryReader& r) {
  std::uint32_t type = 0;
  UaRequestHeader header;
  try {
    UaNodeId typeId = r.NodeId();
    if (typeId.ns != 0 || typeId.kind != UaNodeId::Kind::Numeric) throw UaDecodeError{};
    type = typeId.numeric;
    header = ReadRequestHeader(r);
  } catch (const UaDecodeError& e) {
    connection.SendResponse(requestId, 0, MakeServiceFault(0, e.status));
    return;
  }
  Context ctx{connection, requestId, std::move(header), UaSteadyMs()};
  try {
    using namespace ua_id;
    switch (type) {
      case GetEndpointsRequest:
        return GetEndpoints(ctx, r);
      case FindServersRequest:
        return FindServers(ctx, r);
      case CreateSessionRequest:
        return CreateSession(ctx, r);
      case ActivateSessionRequest:
        return ActivateSession(ctx, r);
      case CloseSessionRequest:
        return CloseSessionService(ctx, r);
      case BrowseRequest:
        return Browse(ctx, r);
      case BrowseNextRequest:
        return BrowseNext(ctx, r);
      case TranslateBrowsePathsRequest:
        return TranslateBrowsePaths(ctx, r);
      case RegisterNodesRequest:
        return RegisterNodes(ctx, r, true);
      case UnregisterNodesRequest:
        return RegisterNodes(ctx, r, false);
      case ReadRequest:
        return Read(ctx, r);
      case WriteRequest:
        return Write(ctx, r);
      case CreateSubscriptionRequest:
        return CreateSubscription(ctx, r);
      case ModifySubscriptionRequest:
        return ModifySubscription(ctx, r);
      case SetPublishingModeRequest:
        return SetPublishingMode(ctx, r);
      case DeleteSubscriptionsRequest:
        return DeleteSubscriptions(ctx, r);
      case CreateMonitoredItemsRequest:
        return CreateMonitoredItems(ctx, r);
      case ModifyMonitoredItemsRequest:
        return ModifyMonitoredItems(ctx, r);
      case SetMonitoringModeRequest:
        return SetMonitoringMode(ctx, r);
      case DeleteMonitoredItemsRequest:
        return DeleteMonitoredItems(ctx, r);
      case PublishRequest:
        return Publish(ctx, r);
      case RepublishRequest:
        return Republish(ctx, r);
      case SetTriggeringRequest:
        return SetTriggering(ctx, r);
      case TransferSubscriptionsRequest:
        return TransferSubscriptions(ctx, r);
      case CallRequest:
        return Call(ctx, r);
      default:
        return Fault(ctx, ua_status::BadServiceUnsupported);
    }
  } catch (const UaDecodeError& e) {
    Fault(ctx, e.status);
  }
}

UaBinaryWriter UaServiceHandler::BeginResponse(Out& out, const Context& ctx,
                                               std::uint32_t responseType) {
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, responseType));
  WriteResponseHeader(w, ctx.header.requestHandle);
  return w;
}

bool UaServiceHandler::CheckOperationCount(Context& ctx, std::size_t count) {
  if (count == 0) {
    Fault(ctx, ua_status::BadNothingToDo);
    return false;
  }
  if (count > options_.maxNodesPerRequest) {
    Fault(ctx, ua_status::BadTooManyOperations);
    return false;
  }
  return true;
}

UaSession* UaServiceHandler::SessionFor(Context& ctx, bool mustBeActive) {
  const UaNodeId& token = ctx.header.authenticationToken;
  auto it = token.kind == UaNodeId::Kind::Opaque ? sessions_.find(token.text) : sessions_.end();
  if (it == sessions_.end()) {
    Fault(ctx, ua_status::BadSessionIdInvalid);
    return nullptr;
  }
  UaSession& session = *it->second;
  if (mustBeActive) {
    if (!session.activated) {
      Fault(ctx, ua_status::BadSessionNotActivated);
      return nullptr;
    }
    if (session.connectionId != ctx.connection.Id()) {
      Fault(ctx, ua_status::BadSecureChannelIdInvalid);
      return nullptr;
    }
  }
  session.lastActivityMs = ctx.nowMs;
  return &session;
}

void UaServiceHandler::WriteApplicationDescription(UaBinaryWriter& w) {
  w.String(options_.applicationUri);
  w.String(options_.productUri);
  w.LocalizedText({"en", options_.applicationName});
  w.UInt32(0);  // server
  w.NullString();
  w.NullString();
  w.ArrayLength(1);
  w.String(endpointUrl_);
}

void UaServiceHandler::WriteEndpoints(UaBinaryWriter& w) {
  w.ArrayLength(1);
  w.String(endpointUrl_);
  WriteApplicationDescription(w);
  w.NullString();  // server certificate
  w.UInt32(1);     // security mode None
  w.String(kPolicyNone);
  w.ArrayLength(1);  // user token policies: anonymous only
  w.String("anonymous");
  w.UInt32(0);
  w.NullString();
  w.NullString();
  w.NullString();
  w.String(kTransportProfile);
  w.Byte(0);  // security level
}

void UaServiceHandler::GetEndpoints(Context& ctx, UaBinaryReader& r) {
  r.String();  // endpoint URL
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::GetEndpointsResponse);
  WriteEndpoints(w);
  Respond(ctx, out);
}

void UaServiceHandler::FindServers(Context& ctx, UaBinaryReader& r) {
  r.String();
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
  bool match = true;
  std::uint32_t uris = r.ArrayLength(4);
  if (uris > 0) match = false;
  for (; uris > 0; --uris) match = match || r.String() == options_.applicationUri;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::FindServersResponse);
  w.ArrayLength(match ? 1 : 0);
  if (match) WriteApplicationDescription(w);
  Respond(ctx, out);
}

void UaServiceHandler::CreateSession(Context& ctx, UaBinaryReader& r) {
  SkipApplicationDescription(r);
  r.String();  // server URI
  r.String();  // endpoint URL
  std::string name = r.String();
  r.ByteString();  // client nonce
  r.ByteString();  // client certificate
  double timeout = r.Double();
  r.UInt32();  // max response message size: the channel's limit applies
  if (sessions_.size() >= options_.maxSessions) return Fault(ctx, ua_status::BadTooManySessions);

  auto session = std::make_unique<UaSession>();
  session->id = {kItemNamespace, UaNodeId::Kind::Numeric, 0x40000000u + nextSessionNumber_++, {}};
  session->authenticationToken = {0, UaNodeId::Kind::Opaque, 0, RandomBytes(32)};
  session->name = std::move(name);
  if (!(timeout >= options_.minSessionTimeoutMs)) timeout = options_.minSessionTimeoutMs;
  session->timeoutMs = std::min(timeout, options_.maxSessionTimeoutMs);
  session->lastActivityMs = ctx.nowMs;
  session->connectionId = ctx.connection.Id();
  std::string nonce = RandomBytes(32);

  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CreateSessionResponse);
  w.NodeId(session->id);
  w.NodeId(session->authenticationToken);
  w.Double(session->timeoutMs);
  w.ByteString(nonce);
  w.NullString();  // server certificate
  WriteEndpoints(w);
  w.ArrayLength(0);  // software certificates
  w.NullString();    // signature algorithm
  w.NullString();    // signature
  w.UInt32(options_.maxMessageSize);
  std::string key = session->authenticationToken.text;
  sessions_.emplace(std::move(key), std::move(session));
  if (options_.onSessionOpened) options_.onSessionOpened();
  Respond(ctx, out);
}

void UaServiceHandler::ActivateSession(Context& ctx, UaBinaryReader& r) {
  SkipSignatureData(r);
  for (std::uint32_t n = r.ArrayLength(8); n > 0; --n) {
    r.ByteString();
    r.ByteString();
  }
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
  UaExtensionObject identity = r.ExtensionObject();
  SkipSignatureData(r);
  UaSession* session = SessionFor(ctx, false);
  if (session == nullptr) return;
  // Anonymous only: no token at all, or an AnonymousIdentityToken.
  bool anonymous =
      identity.encoding == 0 || identity.typeId.IsNumeric(0, ua_id::AnonymousIdentityToken);
  if (!anonymous) return Fault(ctx, ua_status::BadIdentityTokenRejected);
  if (session->connectionId != ctx.connection.Id()) {
    // The client moved the session to a new channel: Publish requests queued on the old one
    // can no longer be answered there.
    FailQueuedPublishes(*session, ua_status::BadSecureChannelIdInvalid);
    session->connectionId = ctx.connection.Id();
  }
  session->activated = true;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ActivateSessionResponse);
  w.ByteString(RandomBytes(32));
  w.ArrayLength(0);
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::CloseSessionService(Context& ctx, UaBinaryReader& r) {
  r.Boolean();  // delete subscriptions: they always go with the session
  UaSession* session = SessionFor(ctx, false);
  if (session == nullptr) return;
  if (session->connectionId != ctx.connection.Id()) {
    return Fault(ctx, ua_status::BadSecureChannelIdInvalid);
  }
  Out out;
  BeginResponse(out, ctx, ua_id::CloseSessionResponse);
  CloseSession(sessions_.find(session->authenticationToken.text));
  Respond(ctx, out);
}

void UaServiceHandler::CloseSession(
    std::map<std::string, std::unique_ptr<UaSession>>::iterator it) {
  UaSession& session = *it->second;
  FailQueuedPublishes(session, ua_status::BadSessionClosed);
  {
    // Monitored items release their tags under the tag lock.
    std::lock_guard guard(callback_.GetTagLock());
    session.subscriptions.clear();
  }
  sessions_.erase(it);
  if (options_.onSessionClosed) options_.onSessionClosed();
}

void UaServiceHandler::CloseAllSessions() {
  while (!sessions_.empty()) CloseSession(sessions_.begin());
}

void UaServiceHandler::OnConnectionClosed(std::uint64_t connectionId) {
  for (auto& [token, session] : sessions_) {
    auto& queue = session->publishQueue;
    queue.erase(
        std::remove_if(queue.begin(), queue.end(),
                       [&](const UaPendingPublish& p) { return p.connectionId == connectionId; }),
        queue.end());
  }
}

void UaServiceHandler::RegisterNodes(Context& ctx, UaBinaryReader& r, bool registering) {
  std::vector<UaNodeId> nodes(r.ArrayLength(2));
  for (UaNodeId& n : nodes) n = r.NodeId();
  if (SessionFor(ctx, true) == nullptr) return;
  if (!CheckOperationCount(ctx, nodes.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(
      out, ctx, registering ? ua_id::RegisterNodesResponse : ua_id::UnregisterNodesResponse);
  if (registering) {
    // Registered ids are the nodes' own ids: lookups are cheap enough as they are.
    w.ArrayLength(nodes.size());
    for (const UaNodeId& n : nodes) w.NodeId(n);
  }
  Respond(ctx, out);
}
