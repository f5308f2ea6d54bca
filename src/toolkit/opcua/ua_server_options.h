// UaServerOptions: where the OPC UA server listens, how it names itself, and its limits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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

  std::uint32_t maxConnections = 256;
  std::uint32_t maxSessions = 100;
  std::uint32_t maxSubscriptionsPerSession = 50;
  std::uint32_t maxMonitoredItemsPerSubscription = 100000;
  std::uint32_t maxPublishRequestsPerSession = 20;
  std::uint32_t maxMessageSize = 16 * 1024 * 1024;
  std::uint32_t maxChunkCount = 1024;
  std::uint32_t maxNodesPerRequest = 10000;  // Read, Write, Browse, monitored items per call
  double minSessionTimeoutMs = 1000;
  double maxSessionTimeoutMs = 3600000;
  double minPublishingIntervalMs = 10;
  std::int64_t incompleteMessageTimeoutMs = 10000;

  // Called on the server's thread when a session is created and when it ends.
  std::function<void()> onSessionOpened;
  std::function<void()> onSessionClosed;
};
