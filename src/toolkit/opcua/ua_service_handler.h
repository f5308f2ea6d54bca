// UaServiceHandler: decodes the service requests of all connections, runs them against the
// address space and the sessions, and drives the sessions' time-outs and publishing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/opcua/ua_service_header.h"
#include "toolkit/opcua/ua_session.h"

// Finds a live connection by id, so that late responses (Publish) reach their client.
class UaConnectionDirectory {
 public:
  virtual ~UaConnectionDirectory() = default;
  virtual UaConnection* FindConnection(std::uint64_t id) = 0;
};

class UaServiceHandler : public UaRequestSink {
 public:
  UaServiceHandler(COPCCallback& callback, const UaServerOptions& options,
                   UaConnectionDirectory& connections);
  ~UaServiceHandler() override;

  void OnServiceRequest(UaConnection& connection, std::uint32_t requestId,
                        UaBinaryReader& body) override;
  // Session time-outs, sampling, publishing cycles and Publish time-outs that are due.
  void OnTimer(std::int64_t nowMs);
  // The earliest time OnTimer has something to do.
  std::int64_t NextDueMs() const;
  // A connection went away: its queued Publish requests are dropped; sessions stay until their
  // time-out so that the client can reconnect and activate them again.
  void OnConnectionClosed(std::uint64_t connectionId);
  // Ends every session (server shutdown).
  void CloseAllSessions();
  std::size_t SessionCount() const { return sessions_.size(); }
  // The endpoint URL clients are told (set once the port is known).
  void SetEndpointUrl(std::string url) { endpointUrl_ = std::move(url); }

 private:
  struct Context {
    UaConnection& connection;
    std::uint32_t requestId;
    UaRequestHeader header;
    std::int64_t nowMs;
  };
  using Out = std::vector<std::uint8_t>;

  void Respond(Context& ctx, const Out& body);
  void Fault(Context& ctx, UaStatusCode status);
  // The response's type id and header, ready for its body.
  UaBinaryWriter BeginResponse(Out& out, const Context& ctx, std::uint32_t responseType);
  // Faults a request with no operations or more than the limit; false then.
  bool CheckOperationCount(Context& ctx, std::size_t count);
  // The request's session; faults and returns null when it is unknown, not activated (if
  // required) or bound to another channel.
  UaSession* SessionFor(Context& ctx, bool mustBeActive);
  void CloseSession(std::map<std::string, std::unique_ptr<UaSession>>::iterator it);

  void WriteApplicationDescription(UaBinaryWriter& w);
  void WriteEndpoints(UaBinaryWriter& w);
  void GetEndpoints(Context& ctx, UaBinaryReader& r);
  void FindServers(Context& ctx, UaBinaryReader& r);
  void CreateSession(Context& ctx, UaBinaryReader& r);
  void ActivateSession(Context& ctx, UaBinaryReader& r);
  void CloseSessionService(Context& ctx, UaBinaryReader& r);

  void Browse(Context& ctx, UaBinaryReader& r);
  void BrowseNext(Context& ctx, UaBinaryReader& r);
  void TranslateBrowsePaths(Context& ctx, UaBinaryReader& r);
  void RegisterNodes(Context& ctx, UaBinaryReader& r, bool registering);
  void WriteBrowseResult(UaBinaryWriter& w, UaSession& session, UaBrowseContinuation&& refs);
  void WriteReferenceDescription(UaBinaryWriter& w, const UaReference& ref, std::uint32_t mask);

  void Read(Context& ctx, UaBinaryReader& r);
  void Write(Context& ctx, UaBinaryReader& r);

  void CreateSubscription(Context& ctx, UaBinaryReader& r);
  void ModifySubscription(Context& ctx, UaBinaryReader& r);
  void SetPublishingMode(Context& ctx, UaBinaryReader& r);
  void DeleteSubscriptions(Context& ctx, UaBinaryReader& r);
  void CreateMonitoredItems(Context& ctx, UaBinaryReader& r);
  void ModifyMonitoredItems(Context& ctx, UaBinaryReader& r);
  void SetMonitoringMode(Context& ctx, UaBinaryReader& r);
  void DeleteMonitoredItems(Context& ctx, UaBinaryReader& r);
  void Publish(Context& ctx, UaBinaryReader& r);
  void Republish(Context& ctx, UaBinaryReader& r);
  void SetTriggering(Context& ctx, UaBinaryReader& r);
  void TransferSubscriptions(Context& ctx, UaBinaryReader& r);
  void Call(Context& ctx, UaBinaryReader& r);
  // The session holding subscription `id`, or null.
  UaSession* OwnerOf(std::uint32_t subscriptionId);

  UaSubscription* FindSubscription(UaSession& session, std::uint32_t id);
  // The subscription of the request's session; faults and returns null when there is none.
  UaSubscription* SubscriptionFor(Context& ctx, std::uint32_t id);
  double RevisedSamplingInterval(double requested, const UaSubscription& sub);
  void SampleSubscription(UaSubscription& sub, std::int64_t nowMs);
  // Runs the publishing cycle of each due subscription of `session`; returns false for
  // subscriptions that expired (they are removed).
  void RunPublishing(UaSession& session, std::int64_t nowMs);
  void ServeLateSubscriptions(UaSession& session);
  void SendPublishResponse(UaSession& session, UaSubscription& sub, bool keepAlive);
  void SendStatusChange(UaSession& session, UaSubscription& sub, UaStatusCode status);
  void AnswerPublishRequest(const UaPendingPublish& pending, const Out& body);
  void FailQueuedPublishes(UaSession& session, UaStatusCode status);
  std::string RandomBytes(std::size_t n);

  COPCCallback& callback_;
  const UaServerOptions& options_;
  UaConnectionDirectory& connections_;
  UaAddressSpace space_;
  std::string endpointUrl_;
  // Sessions by authentication token bytes.
  std::map<std::string, std::unique_ptr<UaSession>> sessions_;
  std::uint32_t nextSubscriptionId_ = 1;
  std::uint32_t nextSessionNumber_ = 1;
  std::mt19937_64 random_;
};
