// The bodies of the UA service requests the server serves, each with one decoder. A body is
// decoded whole, after its session was checked, and a body with bytes left over is refused.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/opcua/ua_binary_reader.h"

struct UaGetEndpointsRequest {
  std::string endpointUrl;
};

struct UaFindServersRequest {
  std::string endpointUrl;
  std::vector<std::string> serverUris;
};

struct UaCreateSessionRequest {
  std::string clientApplicationUri;
  std::string endpointUrl;
  std::string sessionName;
  std::string clientNonce;
  std::string clientCertificate;
  double requestedTimeoutMs = 0;
};

struct UaActivateSessionRequest {
  // The client's signature of the server certificate and the last server nonce.
  std::string clientSignatureAlgorithm;
  std::string clientSignature;
  UaExtensionObject identityToken;
};

struct UaCloseSessionRequest {
  bool deleteSubscriptions = true;
};

struct UaBrowseDescription {
  UaNodeId nodeId;
  std::uint32_t direction = 0;  // 0 forward, 1 inverse, 2 both
  UaNodeId referenceType;
  bool includeSubtypes = true;
  std::uint32_t nodeClassMask = 0;
  std::uint32_t resultMask = 0;
};

struct UaBrowseRequest {
  UaNodeId view;  // null: the whole address space
  std::uint32_t maxReferences = 0;
  std::vector<UaBrowseDescription> nodes;
};

struct UaBrowseNextRequest {
  bool release = false;
  std::vector<std::string> continuationPoints;
};

struct UaRelativePathElement {
  UaNodeId referenceType;
  bool isInverse = false;
  bool includeSubtypes = true;
  UaQualifiedName target;
};

struct UaBrowsePath {
  UaNodeId start;
  std::vector<UaRelativePathElement> elements;
};

struct UaTranslateBrowsePathsRequest {
  std::vector<UaBrowsePath> paths;
};

// RegisterNodes and UnregisterNodes.
struct UaNodesRequest {
  std::vector<UaNodeId> nodes;
};

// A Read names its nodes by views into the request, which lives while the Read is served:
// a Read of a thousand items copies none of their IDs.
struct UaReadValueId {
  UaNodeIdView nodeId;
  std::uint32_t attribute = 0;
  bool hasIndexRange = false;
};

struct UaReadRequest {
  double maxAge = 0;
  std::uint32_t timestamps = 0;
  std::vector<UaReadValueId> nodes;
};

struct UaWriteValue {
  UaNodeId nodeId;
  std::uint32_t attribute = 0;
  bool hasIndexRange = false;
  UaDataValue value;
};

struct UaWriteRequest {
  std::vector<UaWriteValue> nodes;
};

struct UaCreateSubscriptionRequest {
  double intervalMs = 0;
  std::uint32_t lifetimeCount = 0;
  std::uint32_t maxKeepAliveCount = 0;
  std::uint32_t maxNotificationsPerPublish = 0;
  bool publishingEnabled = true;
  std::uint8_t priority = 0;
};

struct UaModifySubscriptionRequest {
  std::uint32_t subscriptionId = 0;
  double intervalMs = 0;
  std::uint32_t lifetimeCount = 0;
  std::uint32_t maxKeepAliveCount = 0;
  std::uint32_t maxNotificationsPerPublish = 0;
  std::uint8_t priority = 0;
};

struct UaSetPublishingModeRequest {
  bool enabled = true;
  std::vector<std::uint32_t> subscriptionIds;
};

struct UaDeleteSubscriptionsRequest {
  std::vector<std::uint32_t> subscriptionIds;
};

struct UaMonitoringParameters {
  std::uint32_t clientHandle = 0;
  double samplingInterval = 0;
  UaExtensionObject filter;
  std::uint32_t queueSize = 1;
  bool discardOldest = true;
};

struct UaMonitoredItemCreate {
  UaNodeId nodeId;
  std::uint32_t attribute = 0;
  bool hasIndexRange = false;
  std::uint32_t mode = 0;
  UaMonitoringParameters parameters;
};

struct UaCreateMonitoredItemsRequest {
  std::uint32_t subscriptionId = 0;
  std::uint32_t timestamps = 0;
  std::vector<UaMonitoredItemCreate> items;
};

struct UaModifyMonitoredItemsRequest {
  std::uint32_t subscriptionId = 0;
  std::uint32_t timestamps = 0;
  std::vector<std::pair<std::uint32_t, UaMonitoringParameters>> items;  // item id, parameters
};

struct UaSetMonitoringModeRequest {
  std::uint32_t subscriptionId = 0;
  std::uint32_t mode = 0;
  std::vector<std::uint32_t> itemIds;
};

struct UaDeleteMonitoredItemsRequest {
  std::uint32_t subscriptionId = 0;
  std::vector<std::uint32_t> itemIds;
};

struct UaPublishRequest {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> acknowledgements;  // subscription, seq
};

struct UaRepublishRequest {
  std::uint32_t subscriptionId = 0;
  std::uint32_t sequenceNumber = 0;
};

struct UaSetTriggeringRequest {
  std::uint32_t subscriptionId = 0;
  std::uint32_t triggeringItemId = 0;
  std::vector<std::uint32_t> linksToAdd;
  std::vector<std::uint32_t> linksToRemove;
};

struct UaTransferSubscriptionsRequest {
  std::vector<std::uint32_t> subscriptionIds;
  bool sendInitialValues = false;
};

struct UaCallMethodRequest {
  UaNodeId object;
  UaNodeId method;
  std::vector<UaVariant> input;
};

struct UaCallRequest {
  std::vector<UaCallMethodRequest> methods;
};

// Each decoder fills `out` (reusing its buffers) from the body after the request header.
// Reads an ApplicationDescription (as a request or a response holds it), keeping its
// application URI.
void ReadApplicationDescription(UaBinaryReader& r, std::string& applicationUri);

void Decode(UaBinaryReader& r, UaGetEndpointsRequest& out);
void Decode(UaBinaryReader& r, UaFindServersRequest& out);
void Decode(UaBinaryReader& r, UaCreateSessionRequest& out);
void Decode(UaBinaryReader& r, UaActivateSessionRequest& out);
void Decode(UaBinaryReader& r, UaCloseSessionRequest& out);
void Decode(UaBinaryReader& r, UaBrowseRequest& out);
void Decode(UaBinaryReader& r, UaBrowseNextRequest& out);
void Decode(UaBinaryReader& r, UaTranslateBrowsePathsRequest& out);
void Decode(UaBinaryReader& r, UaNodesRequest& out);
void Decode(UaBinaryReader& r, UaReadRequest& out);
void Decode(UaBinaryReader& r, UaWriteRequest& out);
void Decode(UaBinaryReader& r, UaCreateSubscriptionRequest& out);
void Decode(UaBinaryReader& r, UaModifySubscriptionRequest& out);
void Decode(UaBinaryReader& r, UaSetPublishingModeRequest& out);
void Decode(UaBinaryReader& r, UaDeleteSubscriptionsRequest& out);
void Decode(UaBinaryReader& r, UaCreateMonitoredItemsRequest& out);
void Decode(UaBinaryReader& r, UaModifyMonitoredItemsRequest& out);
void Decode(UaBinaryReader& r, UaSetMonitoringModeRequest& out);
void Decode(UaBinaryReader& r, UaDeleteMonitoredItemsRequest& out);
void Decode(UaBinaryReader& r, UaPublishRequest& out);
void Decode(UaBinaryReader& r, UaRepublishRequest& out);
void Decode(UaBinaryReader& r, UaSetTriggeringRequest& out);
void Decode(UaBinaryReader& r, UaTransferSubscriptionsRequest& out);
void Decode(UaBinaryReader& r, UaCallRequest& out);

// Decodes the whole rest of `r` into `out`; bytes left over are a decoding error.
template <typename Request>
void DecodeWhole(UaBinaryReader& r, Request& out) {
  Decode(r, out);
  if (r.Remaining() != 0) throw UaDecodeError{};
}
