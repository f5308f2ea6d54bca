// UaServerOptions: where the OPC UA server listens, how it names itself, and its limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/opcua/ua_security_options.h"

struct UaServerOptions {
  std::uint16_t port = 4840;  // 0 picks a free port (tests)
  bool listenAny = false;     // all interfaces instead of loopback only
  std::string applicationUri = "urn:Varnok:Zelvox";
  std::string productUri = "urn:Varnok:Zelvox";
  std::string applicationName = "Zelvox";
  std::string softwareVersion = "2.1.1";
  // The namespace of the served items (index 1).
  std::string namespaceUri = "urn:Varnok:Zelvox:Items";
  // The name of the project folder under Objects (Windows-1252), asked for under the tag lock
  // whenever a client reads it; the served system returns its root node's name.
  // Unset: "Project".
  std::function<std::string()> projectName;
  // Reads are served from the tag cache, which the served system keeps current; only a tag
  // that never had a value is asked for once. True: a Read with maxAge 0 asks the device.
  bool deviceReads = false;
  // Endpoints, certificate, trusted clients and users.
  UaSecurityOptions security;

  std::uint32_t maxConnections = 256;
  std::uint32_t maxSessions = 100;
  std::uint32_t maxSubscriptionsPerSession = 50;
  std::uint32_t maxMonitoredItemsPerSubscription = 100000;
  std::uint32_t maxPublishRequestsPerSession = 20;
  std::uint32_t maxMessageSize = 16 * 1024 * 1024;
  std::uint32_t maxChunkCount = 1024;
  std::uint32_t maxNodesPerRequest = 10000;   // Read, Write, Browse, monitored items per call
  std::uint32_t maxStringLength = 65535;      // bytes of any String or ByteString received
  std::uint32_t maxArrayLength = 65535;       // elements of any array received
  std::uint32_t maxBrowsePathElements = 64;   // elements of one relative path
  std::uint32_t maxReferencesPerNode = 1000;  // references of one Browse result
  std::uint32_t maxSessionNameLength = 256;
  // A created session must be activated within this time, or it ends.
  std::int64_t unactivatedSessionTimeoutMs = 10000;
  // A connection without an activated session is closed after this time.
  std::int64_t unactivatedConnectionTimeoutMs = 10000;
  // Queued notifications (a few hundred bytes each) of one session and of all together.
  std::uint32_t maxQueuedNotificationsPerSession = 20000;
  std::uint32_t maxQueuedNotifications = 200000;
  // Received and unsent bytes of all connections together; a connection that takes the server
  // over it is closed.
  std::size_t maxBufferedBytes = 256 * 1024 * 1024;
  double minSessionTimeoutMs = 1000;
  double maxSessionTimeoutMs = 3600000;
  double minPublishingIntervalMs = 10;
  // A subscription whose client stops publishing ends (and stops sampling) after at most this.
  double maxSubscriptionLifetimeMs = 3600000;
  std::int64_t incompleteMessageTimeoutMs = 10000;
  // The steady clock in milliseconds that times sessions, subscriptions and connections. Unset:
  // the system's. Tests set a clock they move themselves.
  std::function<std::int64_t()> clock;
  std::int64_t Now() const;

  // Called on the server's thread when a session is created and when it ends.
  std::function<void()> onSessionOpened;
  std::function<void()> onSessionClosed;
};
