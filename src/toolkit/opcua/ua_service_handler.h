// UaServiceHandler: decodes the service requests of all connections, runs them against the
// address space and the sessions, and drives the sessions' time-outs and publishing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/log.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_endpoint_urls.h"
#include "toolkit/opcua/ua_login_throttle.h"
#include "toolkit/opcua/ua_requests.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/opcua/ua_service_header.h"
#include "toolkit/opcua/ua_session.h"

// Finds a live connection by id, so that late responses (Publish) reach their client.
class UaConnectionDirectory {
 public:
  virtual ~UaConnectionDirectory() = default;
  virtual UaConnection* FindConnection(std::uint64_t id) = 0;
};

class UaServerSecurity;

class UaServiceHandler : public UaRequestSink {
 public:
  // Without `security` only policy None is offered.
  UaServiceHandler(COPCCallback& callback, const UaServerOptions& options,
                   UaConnectionDirectory& connections, const UaServerSecurity* security = nullptr);
  ~UaServiceHandler() override;

  // Checks the request's session as its service requires, then decodes and serves it.
  void OnServiceRequest(UaConnection& connection, std::uint32_t requestId,
                        UaBinaryReader& body) override;
  // Session time-outs, sampling, publishing cycles and Publish time-outs that are due.
  void OnTimer(std::int64_t nowMs);
  // The earliest time OnTimer has something to do.
  std::int64_t NextDueMs() const;
  // A connection went away: its queued Publish requests are dropped; sessions stay until their
  // time-out so that the client can reconnect and activate them again.
  void OnConnectionClosed(std::uint64_t connectionId);
  // Whether a session on this connection has been activated.
  bool HasActivatedSession(std::uint64_t connectionId) const;
  // Ends every session (server shutdown).
  void CloseAllSessions();
  std::size_t SessionCount() const { return m_sessions.size(); }
  // Notifications queued in all sessions together.
  std::size_t QueuedNotifications() const { return m_queuedNotifications; }
  // The endpoint URL clients are told unless they reached the server by another host name that
  // it listens on (set once the port is known).
  void SetEndpointUrl(std::string url, std::uint16_t port);

 private:
  struct Context {
    UaConnection& connection;
    std::uint32_t requestId;
    UaRequestHeader header;
    std::int64_t nowMs;
    UaSession* session = nullptr;  // set when the service needs one
  };
  using Out = std::vector<std::uint8_t>;
  using SessionMap = std::map<std::string, std::unique_ptr<UaSession>>;

  // What a service needs of the request's session before its body is decoded.
  enum class SessionNeed : std::uint8_t { None, Created, Activated };
  struct Service {
    std::uint32_t requestType;
    SessionNeed session;
    void (UaServiceHandler::*serve)(Context&, UaBinaryReader&);
  };
  static const Service kServices[];
  // Decodes the whole body into a Request and hands it to `Handler`.
  template <typename Request, void (UaServiceHandler::*Handler)(Context&, const Request&)>
  void Serve(Context& ctx, UaBinaryReader& r);
  void ServeRead(Context& ctx, UaBinaryReader& r);
  void Dispatch(Context& ctx, std::uint32_t type, UaBinaryReader& r);

  void Respond(Context& ctx, const Out& body);
  void Fault(Context& ctx, UaStatusCode status);
  // The response's type id and header, ready for its body.
  UaBinaryWriter BeginResponse(Out& out, const Context& ctx, std::uint32_t responseType);
  // Faults a request with no operations or more than the limit; false then.
  bool CheckOperationCount(Context& ctx, std::size_t count);
  // The request's session; faults and returns null when it is unknown, not activated (if
  // required) or bound to another channel.
  UaSession* SessionFor(Context& ctx, bool mustBeActive);
  void CloseSession(SessionMap::iterator it, const char* reason);
  // Makes room for a new session by closing the oldest one never activated; false if none.
  bool ReclaimUnactivatedSession();

  // `url`: the endpoint URL for the client (UaEndpointUrls::For).
  void WriteApplicationDescription(UaBinaryWriter& w, const std::string& url);
  void WriteEndpoints(UaBinaryWriter& w, const std::string& url);
  // Signs `first` followed by `second` with the server's key under the channel's policy.
  std::string SignWithServerKey(const UaSecurityPolicy& policy, const std::string& first,
                                const std::string& second);
  void GetEndpoints(Context& ctx, const UaGetEndpointsRequest& req);
  void FindServers(Context& ctx, const UaFindServersRequest& req);
  void CreateSession(Context& ctx, const UaCreateSessionRequest& req);
  void ActivateSession(Context& ctx, const UaActivateSessionRequest& req);
  void CloseSessionService(Context& ctx, const UaCloseSessionRequest& req);

  void Browse(Context& ctx, const UaBrowseRequest& req);
  void BrowseNext(Context& ctx, const UaBrowseNextRequest& req);
  void TranslateBrowsePaths(Context& ctx, const UaTranslateBrowsePathsRequest& req);
  void RegisterNodes(Context& ctx, const UaNodesRequest& req);
  void UnregisterNodes(Context& ctx, const UaNodesRequest& req);
  void WriteBrowseResult(UaBinaryWriter& w, UaSession& session, UaBrowseContinuation&& refs);
  void WriteReferenceDescription(UaBinaryWriter& w, const UaReference& ref, std::uint32_t mask);

  void Read(Context& ctx, const UaReadRequest& req);
  void Write(Context& ctx, const UaWriteRequest& req);

  void CreateSubscription(Context& ctx, const UaCreateSubscriptionRequest& req);
  void ModifySubscription(Context& ctx, const UaModifySubscriptionRequest& req);
  void SetPublishingMode(Context& ctx, const UaSetPublishingModeRequest& req);
  void DeleteSubscriptions(Context& ctx, const UaDeleteSubscriptionsRequest& req);
  void CreateMonitoredItems(Context& ctx, const UaCreateMonitoredItemsRequest& req);
  void ModifyMonitoredItems(Context& ctx, const UaModifyMonitoredItemsRequest& req);
  void SetMonitoringMode(Context& ctx, const UaSetMonitoringModeRequest& req);
  void DeleteMonitoredItems(Context& ctx, const UaDeleteMonitoredItemsRequest& req);
  void Publish(Context& ctx, const UaPublishRequest& req);
  void Republish(Context& ctx, const UaRepublishRequest& req);
  void SetTriggering(Context& ctx, const UaSetTriggeringRequest& req);
  void TransferSubscriptions(Context& ctx, const UaTransferSubscriptionsRequest& req);
  void Call(Context& ctx, const UaCallRequest& req);
  // The session holding subscription `id`, or null.
  UaSession* OwnerOf(std::uint32_t subscriptionId);

  UaSubscription* FindSubscription(UaSession& session, std::uint32_t id);
  // The subscription of the request's session; faults and returns null when there is none.
  UaSubscription* SubscriptionFor(Context& ctx, std::uint32_t id);
  double RevisedSamplingInterval(double requested, const UaSubscription& sub);
  void SampleSubscription(UaSession& session, UaSubscription& sub, std::int64_t nowMs);
  // Queues the current state of every item of `sub` (ResendData, a transfer's initial values),
  // within the session's and server's notification limits.
  void ResendData(UaSession& session, UaSubscription& sub);
  // Runs the publishing cycle of each due subscription of `session`; subscriptions that
  // expired are removed.
  void RunPublishing(UaSession& session, std::int64_t nowMs);
  void ServeLateSubscriptions(UaSession& session);
  void SendPublishResponse(UaSession& session, UaSubscription& sub, bool keepAlive);
  void SendStatusChange(UaSession& session, UaSubscription& sub, UaStatusCode status);
  void AnswerPublishRequest(const UaPendingPublish& pending, const Out& body);
  void FailQueuedPublishes(UaSession& session, UaStatusCode status);
  // How many more notifications the session may queue, within its and the server's limit.
  std::size_t NotificationRoom(const UaSession& session) const;
  void CountNotifications(UaSession& session, std::ptrdiff_t change);
  // Drops the queued notifications of a subscription's items from the counts.
  void ForgetNotifications(UaSession& session, UaSubscription& sub);

  COPCCallback& m_callback;
  const UaServerOptions& m_options;
  UaConnectionDirectory& m_connections;
  const UaServerSecurity* m_security;
  UaAddressSpace m_space;
  UaEndpointUrls m_endpointUrls{{}, 0, false, {}};
  UaLoginThrottle m_loginThrottle;
  SessionMap m_sessions;  // by authentication token bytes
  std::uint32_t m_nextSubscriptionId = 1;
  std::uint32_t m_nextSessionNumber = 1;
  std::size_t m_queuedNotifications = 0;
  LogRateLimit m_refusalLog{20, std::chrono::seconds(10)};  // refusals a client can cause at will
  LogRateLimit m_notificationLimitLog{1, std::chrono::seconds(60)};
  // Reused by every Read, so that its buffers are; its node IDs are views into the request being
  // served and mean nothing once it is answered.
  UaReadRequest m_readRequest;
  std::vector<CTag*> m_readTags;  // the items of a Read, found before their values are read
};
