// UaServiceHandler: request dispatch, discovery and session services.
#include "toolkit/opcua/ua_service_handler.h"

#include <algorithm>

#include "platform/secure_random.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server_security.h"
#include "toolkit/opcua/ua_ssl.h"
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
                                   UaConnectionDirectory& connections,
                                   const UaServerSecurity* security)
    : m_callback(callback),
      m_options(options),
      m_connections(connections),
      m_security(security),
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
    const UaSecurityPolicy* policy = FindSecurityPolicy(endpoint.policyUri);
    w.Byte(policy ? EndpointSecurityLevel(*policy, endpoint.mode) : 0);
  }
}

std::string UaServiceHandler::SignWithServerKey(const UaSecurityPolicy& policy,
                                                const std::string& first,
                                                const std::string& second) {
  const UaRsaKey& key = m_security->PrivateKey();
  std::string data = first + second;
  std::string signature(key.Size(), '\0');
  if (!key.Sign(policy.asymmetricSignature, reinterpret_cast<const std::uint8_t*>(data.data()),
                data.size(), reinterpret_cast<std::uint8_t*>(signature.data()))) {
    return {};
  }
  return signature;
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
  const UaSecurityPolicy& policy = ctx.connection.Policy();
  if (policy.secured) {
    // The client proves its key by signing our nonce, and we ours by signing its nonce: a
    // short one would make that proof cheap to replay.
    if (req.clientNonce.size() < kServerNonceBytes) return Fault(ctx, ua_status::BadNonceInvalid);
    std::string_view leaf = UaLeafCertificate(ctx.connection.ClientCertificate());
    if (UaLeafCertificate(req.clientCertificate) != leaf) {
      return Fault(ctx, ua_status::BadCertificateInvalid);
    }
    // The certificate must name the application that asks for the session.
    UaX509 certificate = UaCertificateFromDer(
        std::span(reinterpret_cast<const std::uint8_t*>(leaf.data()), leaf.size()));
    std::vector<std::string> uris =
        certificate ? UaSubjectAltUris(certificate.get()) : std::vector<std::string>{};
    if (std::find(uris.begin(), uris.end(), req.clientApplicationUri) == uris.end()) {
      m_refusalLog.Log(LogLevel::Warning, "OPC UA: session refused for " + ctx.connection.Peer() +
                                              ": the client certificate does not name "
                                              "application URI " +
                                              req.clientApplicationUri);
      return Fault(ctx, ua_status::BadCertificateUriInvalid);
    }
  }
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
  session->clientCertificate = UaLeafCertificate(ctx.connection.ClientCertificate());

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
  if (policy.secured) {
    w.String(policy.signatureAlgorithmUri);
    w.ByteString(SignWithServerKey(policy, req.clientCertificate, req.clientNonce));
  } else {
    w.NullString();
    w.NullString();
  }
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
  const UaSecurityPolicy& policy = ctx.connection.Policy();
  if (session.clientCertificate != UaLeafCertificate(ctx.connection.ClientCertificate())) {
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: activation refused for " + ctx.connection.Peer() +
                                            ": not the application the session was created for");
    return Fault(ctx, ua_status::BadSecurityChecksFailed);
  }
  if (policy.secured) {
    // The client signs our certificate and the last nonce we gave it with its own key.
    std::string data = m_security->Certificate() + session.serverNonce;
    const std::string& signature = req.clientSignature;
    if (req.clientSignatureAlgorithm != policy.signatureAlgorithmUri ||
        !ctx.connection.ClientKey().Verify(
            policy.asymmetricSignature, reinterpret_cast<const std::uint8_t*>(data.data()),
            data.size(), reinterpret_cast<const std::uint8_t*>(signature.data()),
            signature.size())) {
      m_refusalLog.Log(LogLevel::Warning, "OPC UA: activation refused for " +
                                              ctx.connection.Peer() + ": client signature invalid");
      return Fault(ctx, ua_status::BadApplicationSignatureInvalid);
    }
  }
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
