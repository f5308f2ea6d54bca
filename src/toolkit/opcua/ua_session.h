// UaSession: a client session with its subscriptions, queued Publish requests and browse
// continuation points.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_subscription.h"

struct UaPendingPublish {
  std::uint64_t connectionId = 0;
  std::uint32_t requestId = 0;
  std::uint32_t requestHandle = 0;
  std::int64_t deadlineMs = INT64_MAX;  // from the request's timeout hint
  std::vector<UaStatusCode> acknowledgeResults;
};

// References of a browse not yet returned, waiting for BrowseNext.
struct UaBrowseContinuation {
  std::vector<UaReference> references;
  std::size_t next = 0;
  std::uint32_t maxReferences = 0;
  std::uint32_t resultMask = 0;
};

struct UaSession {
  UaNodeId id;
  UaNodeId authenticationToken;
  std::string name;
  double timeoutMs = 0;
  std::int64_t createdMs = 0;
  std::int64_t lastActivityMs = 0;
  bool activated = false;
  // The user identity of the first activation ("anonymous"); a later activation, on this or
  // another channel, must present the same one.
  std::string identity;
  // A read-only user's session: its writes are refused.
  bool readOnly = false;
  std::uint64_t connectionId = 0;
  // The last server nonce handed out (CreateSession, ActivateSession), which the client signs at
  // activation and an encrypted password must carry, and the client certificate (leaf) of the
  // secured channel the session was created on (empty under policy None): it is activated only
  // on a channel with the same one.
  std::string serverNonce;
  std::string clientCertificate;
  std::map<std::uint32_t, std::unique_ptr<UaSubscription>> subscriptions;
  std::size_t queuedNotifications = 0;  // in all its subscriptions' items
  std::deque<UaPendingPublish> publishQueue;
  std::map<std::string, UaBrowseContinuation> continuations;
  std::uint32_t nextContinuation = 1;
};
