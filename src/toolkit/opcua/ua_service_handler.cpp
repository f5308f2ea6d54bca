// UaServiceHandler: request dispatch, discovery and session services.
#include "toolkit/opcua/ua_service_handler.h"

#include <algorithm>

#include "platform/secure_random.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_user_identity.h"

namespace {
constexpr std::string_view kTransportProfile =
    "http://opcfoundation.org/UA-Profile/Transport/uatcp-uasc-uabinary";
constexpr std::size_t kServerNonceBytes = 32;

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
void CapUtf8(std::string& text, std::size_t limit) {
  if (text.size() <= limit) return;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
}

// The address of a peer text "ADDRESS:PORT": failed logins are counted per address.
std::string AddressOf(const std::string& peer) {
  return peer.substr(0, peer.rfind(':'));
}
}  // namespace

UaServiceHandler::UaServiceHandler(COPCCallback& callback, const UaServerOptions& options,
                                   UaConnectionDirectory& connections)
    : m_callback(callback),
      m_options(options),
      m_connections(connections),
      m_space(callback, options) {}

UaServiceHandler::~UaServiceHandler() {
  CloseAllSessions();
}

void UaServiceHandler::Respond(Context& ctx, const Out& body) {
  ctx.connection.SendResponse(ctx.requestId, ctx.header.requestHandle, body);
}

void UaServiceHandler::Fault(Context& ctx, UaStatusCode status) {
  Respond(ctx, MakeServiceFault(ctx.header.requestHandle, status));
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
  if (count > m_options.maxNodesPerRequest) {
    Fault(ctx, ua_status::BadTooManyOperations);
    return false;
  }
  return true;
}

UaSession* UaServiceHandler::SessionFor(Context& ctx, bool mustBeActive) {
  const UaNodeId& token = ctx.header.authenticationToken;
  auto it = token.kind == UaNodeId::Kind::Opaque ? m_sessions.find(token.text) : m_sessions.end();
  if (it == m_sessions.end()) {
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

void UaServiceHandler::SetEndpointUrl(std::string url, std::uint16_t port) {
  m_endpointUrls = UaEndpointUrls(
      std::move(url), port, m_options.listenAny,
      m_options.listenAny ? UaEndpointUrls::InterfaceAddresses() : std::vector<std::string>{});
}

void UaServiceHandler::WriteApplicationDescription(UaBinaryWriter& w, const std::string& url) {
  w.String(m_options.applicationUri);
  w.String(m_options.productUri);
  w.LocalizedText({"en", m_options.applicationName});
  w.UInt32(0);  // server
  w.NullString();
  w.NullString();
  w.ArrayLength(1);
  w.String(url);
}

void UaServiceHandler::WriteEndpoints(UaBinaryWriter& w, const std::string& url) {
  const UaSecurityOptions& security = m_options.security;
  w.ArrayLength(security.endpoints.size());
  for (const UaEndpointSecurity& endpoint : security.endpoints) {
    w.String(url);
    WriteApplicationDescription(w, url);
    // Also under None: clients encrypt user passwords with it.
    if (security.certificate) {
      w.ByteString(std::string_view(reinterpret_cast<const char*>(security.certificate->der.data()),
                                    security.certificate->der.size()));
    } else {
      w.NullString();
    }
    w.UInt32(static_cast<std::uint32_t>(endpoint.mode));
    w.String(endpoint.policyUri);
    UaWriteUserTokenPolicies(w, security, endpoint.policyUri);
    w.String(kTransportProfile);
    // Clients that pick the "best" endpoint prefer the more secure ones.
    w.Byte(static_cast<std::uint8_t>(endpoint.mode) - 1);
  }
}

void UaServiceHandler::GetEndpoints(Context& ctx, const UaGetEndpointsRequest& req) {
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::GetEndpointsResponse);
  WriteEndpoints(w, m_endpointUrls.For(req.endpointUrl));
  Respond(ctx, out);
}

void UaServiceHandler::FindServers(Context& ctx, const UaFindServersRequest& req) {
  bool match = req.serverUris.empty() ||
               std::find(req.serverUris.begin(), req.serverUris.end(), m_options.applicationUri) !=
                   req.serverUris.end();
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::FindServersResponse);
  w.ArrayLength(match ? 1 : 0);
  if (match) WriteApplicationDescription(w, m_endpointUrls.For(req.endpointUrl));
  Respond(ctx, out);
}

bool UaServiceHandler::ReclaimUnactivatedSession() {
  auto oldest = m_sessions.end();
  for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
    if (it->second->activated) continue;
    if (oldest == m_sessions.end() || it->second->createdMs < oldest->second->createdMs)
      oldest = it;
  }
  if (oldest == m_sessions.end()) return false;
  CloseSession(oldest, "reclaimed for a new session before it was activated");
  return true;
}

void UaServiceHandler::CreateSession(Context& ctx, const UaCreateSessionRequest& req) {
  if (m_sessions.size() >= m_options.maxSessions && !ReclaimUnactivatedSession()) {
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: session refused for " + ctx.connection.Peer() +
                                            ": all " + std::to_string(m_options.maxSessions) +
                                            " sessions in use");
    return Fault(ctx, ua_status::BadTooManySessions);
  }
  auto session = std::make_unique<UaSession>();
  session->id = {kItemNamespace, UaNodeId::Kind::Numeric, 0x40000000u + m_nextSessionNumber++, {}};
  session->authenticationToken = {0, UaNodeId::Kind::Opaque, 0, SecureRandomString(32)};
  session->name = req.sessionName;
  CapUtf8(session->name, m_options.maxSessionNameLength);
  double timeout = req.requestedTimeoutMs;
  if (!(timeout >= m_options.minSessionTimeoutMs)) timeout = m_options.minSessionTimeoutMs;
  session->timeoutMs = std::min(timeout, m_options.maxSessionTimeoutMs);
  session->createdMs = ctx.nowMs;
  session->lastActivityMs = ctx.nowMs;
  session->connectionId = ctx.connection.Id();
  session->serverNonce = SecureRandomString(kServerNonceBytes);

  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::CreateSessionResponse);
  w.NodeId(session->id);
  w.NodeId(session->authenticationToken);
  w.Double(session->timeoutMs);
  w.ByteString(session->serverNonce);
  if (m_options.security.certificate) {
    const UaBytes& der = m_options.security.certificate->der;
    w.ByteString(std::string_view(reinterpret_cast<const char*>(der.data()), der.size()));
  } else {
    w.NullString();
  }
  WriteEndpoints(w, m_endpointUrls.For(req.endpointUrl));
  w.ArrayLength(0);  // software certificates
  w.NullString();    // signature algorithm
  w.NullString();    // signature
  w.UInt32(m_options.maxMessageSize);
  Log(LogLevel::Info,
      "OPC UA: session \"" + session->name + "\" created for " + ctx.connection.Peer());
  std::string key = session->authenticationToken.text;
  m_sessions.emplace(std::move(key), std::move(session));
  if (m_options.onSessionOpened) m_options.onSessionOpened();
  Respond(ctx, out);
}

void UaServiceHandler::ActivateSession(Context& ctx, const UaActivateSessionRequest& req) {
  UaSession& session = *ctx.session;
  // Logins from an address that failed repeatedly are refused for a while without a look at
  // the password, which slows guessing down.
  const std::string address = AddressOf(ctx.connection.Peer());
  if (!m_loginThrottle.Allowed(address, ctx.nowMs)) {
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: activation refused for " + ctx.connection.Peer() +
                                            ": too many failed logins from that address");
    return Fault(ctx, ua_status::BadUserAccessDenied);
  }
  const UaIdentityContext identityContext{
      m_options.security,
      ctx.connection.SecurityPolicyUri(),
      {reinterpret_cast<const std::uint8_t*>(session.serverNonce.data()),
       session.serverNonce.size()}};
  UaIdentityCheck check = UaCheckUserIdentity(req.identityToken, identityContext);
  if (ua_status::IsBad(check.status)) {
    if (check.status == ua_status::BadUserAccessDenied) m_loginThrottle.Failed(address, ctx.nowMs);
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: activation refused for " + ctx.connection.Peer() +
                                            ": " + check.reason);
    return Fault(ctx, check.status);
  }
  m_loginThrottle.Succeeded(address);
  std::string& identity = check.identity;
  // A session keeps the identity it was first activated with: another client that learned its
  // token cannot take it over under a different identity.
  if (session.activated && identity != session.identity) {
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: activation refused for " + ctx.connection.Peer() +
                                            ": another user identity than the session's");
    return Fault(ctx, ua_status::BadIdentityTokenRejected);
  }
  if (session.connectionId != ctx.connection.Id()) {
    // The client moved the session to a new channel: Publish requests queued on the old one
    // can no longer be answered there.
    FailQueuedPublishes(session, ua_status::BadSecureChannelIdInvalid);
    session.connectionId = ctx.connection.Id();
  }
  if (!session.activated) {
    Log(LogLevel::Info,
        "OPC UA: session \"" + session.name + "\" activated for " + ctx.connection.Peer());
  }
  session.activated = true;
  session.identity = std::move(identity);
  session.readOnly = check.readOnly;
  session.serverNonce = SecureRandomString(kServerNonceBytes);
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::ActivateSessionResponse);
  w.ByteString(session.serverNonce);
  w.ArrayLength(0);
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::CloseSessionService(Context& ctx, const UaCloseSessionRequest&) {
  // Subscriptions always go with the session, whatever the request asks.
  if (ctx.session->connectionId != ctx.connection.Id()) {
    return Fault(ctx, ua_status::BadSecureChannelIdInvalid);
  }
  Out out;
  BeginResponse(out, ctx, ua_id::CloseSessionResponse);
  CloseSession(m_sessions.find(ctx.session->authenticationToken.text), "closed by the client");
  Respond(ctx, out);
}

void UaServiceHandler::CloseSession(SessionMap::iterator it, const char* reason) {
  UaSession& session = *it->second;
  Log(LogLevel::Info, "OPC UA: session \"" + session.name + "\" ended: " + reason);
  FailQueuedPublishes(session, ua_status::BadSessionClosed);
  {
    // Monitored items release their tags under the tag lock.
    std::lock_guard guard(m_callback.GetTagLock());
    for (auto& [id, sub] : session.subscriptions) ForgetNotifications(session, *sub);
    session.subscriptions.clear();
  }
  m_sessions.erase(it);
  if (m_options.onSessionClosed) m_options.onSessionClosed();
}

void UaServiceHandler::CloseAllSessions() {
  while (!m_sessions.empty()) CloseSession(m_sessions.begin(), "server shutdown");
}

void UaServiceHandler::OnConnectionClosed(std::uint64_t connectionId) {
  for (auto& [token, session] : m_sessions) {
    auto& queue = session->publishQueue;
    queue.erase(
        std::remove_if(queue.begin(), queue.end(),
                       [&](const UaPendingPublish& p) { return p.connectionId == connectionId; }),
        queue.end());
  }
}

bool UaServiceHandler::HasActivatedSession(std::uint64_t connectionId) const {
  for (const auto& [token, session] : m_sessions) {
    if (session->activated && session->connectionId == connectionId) return true;
  }
  return false;
}

void UaServiceHandler::RegisterNodes(Context& ctx, const UaNodesRequest& req) {
  if (!CheckOperationCount(ctx, req.nodes.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::RegisterNodesResponse);
  // Registered ids are the nodes' own ids: lookups are cheap enough as they are.
  w.ArrayLength(req.nodes.size());
  for (const UaNodeId& n : req.nodes) w.NodeId(n);
  Respond(ctx, out);
}

void UaServiceHandler::UnregisterNodes(Context& ctx, const UaNodesRequest& req) {
  if (!CheckOperationCount(ctx, req.nodes.size())) return;
  Out out;
  BeginResponse(out, ctx, ua_id::UnregisterNodesResponse);
  Respond(ctx, out);
}
