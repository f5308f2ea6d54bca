// Decoders of the UA service request bodies, field by field in their encoded order.
#include "toolkit/opcua/ua_requests.h"

namespace {
void SkipStrings(UaBinaryReader& r) {
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.StringView();
}

void SkipSignatureData(UaBinaryReader& r) {
  r.StringView();  // algorithm
  r.StringView();  // signature
}

void DecodeMonitoringParameters(UaBinaryReader& r, UaMonitoringParameters& p) {
  p.clientHandle = r.UInt32();
  p.samplingInterval = r.Double();
  p.filter = r.ExtensionObject();
  p.queueSize = r.UInt32();
  p.discardOldest = r.Boolean();
}

void DecodeIds(UaBinaryReader& r, std::vector<std::uint32_t>& ids) {
  ids.resize(r.OperationCount(4));
  for (std::uint32_t& id : ids) id = r.UInt32();
}
}  // namespace

void ReadApplicationDescription(UaBinaryReader& r, std::string& applicationUri) {
  r.StringInto(applicationUri);
  r.StringView();  // product URI
  r.LocalizedText();
  r.UInt32();      // application type
  r.StringView();  // gateway server URI
  r.StringView();  // discovery profile URI
  SkipStrings(r);  // discovery URLs
}

void Decode(UaBinaryReader& r, UaGetEndpointsRequest& out) {
  r.StringInto(out.endpointUrl);
  SkipStrings(r);  // locale ids
  SkipStrings(r);  // profile URIs
}

void Decode(UaBinaryReader& r, UaFindServersRequest& out) {
  r.StringInto(out.endpointUrl);
  SkipStrings(r);  // locale ids
  out.serverUris.resize(r.ArrayLength(4));
  for (std::string& uri : out.serverUris) r.StringInto(uri);
}

void Decode(UaBinaryReader& r, UaCreateSessionRequest& out) {
  ReadApplicationDescription(r, out.clientApplicationUri);
  r.StringView();  // server URI
  r.StringInto(out.endpointUrl);
  r.StringInto(out.sessionName);
  r.StringInto(out.clientNonce);
  r.StringInto(out.clientCertificate);
  out.requestedTimeoutMs = r.Double();
  r.UInt32();  // max response message size: the channel's limit applies
}

void Decode(UaBinaryReader& r, UaActivateSessionRequest& out) {
  r.StringInto(out.clientSignatureAlgorithm);
  r.StringInto(out.clientSignature);
  for (std::uint32_t n = r.ArrayLength(8); n > 0; --n) {  // software certificates
    r.StringView();
    r.StringView();
  }
  SkipStrings(r);  // locale ids
  out.identityToken = r.ExtensionObject();
  SkipSignatureData(r);
}

void Decode(UaBinaryReader& r, UaCloseSessionRequest& out) {
  out.deleteSubscriptions = r.Boolean();
}

void Decode(UaBinaryReader& r, UaBrowseRequest& out) {
  r.NodeIdInto(out.view);
  r.DateTime();
  r.UInt32();
  out.maxReferences = r.UInt32();
  out.nodes.resize(r.OperationCount(10));
  for (UaBrowseDescription& d : out.nodes) {
    r.NodeIdInto(d.nodeId);
    d.direction = r.UInt32();
    r.NodeIdInto(d.referenceType);
    d.includeSubtypes = r.Boolean();
    d.nodeClassMask = r.UInt32();
    d.resultMask = r.UInt32();
  }
}

void Decode(UaBinaryReader& r, UaBrowseNextRequest& out) {
  out.release = r.Boolean();
  out.continuationPoints.resize(r.OperationCount(4));
  for (std::string& p : out.continuationPoints) r.StringInto(p);
}

void Decode(UaBinaryReader& r, UaTranslateBrowsePathsRequest& out) {
  out.paths.resize(r.OperationCount(6));
  for (UaBrowsePath& p : out.paths) {
    r.NodeIdInto(p.start);
    p.elements.resize(r.ArrayLength(9));
    for (UaRelativePathElement& e : p.elements) {
      r.NodeIdInto(e.referenceType);
      e.isInverse = r.Boolean();
      e.includeSubtypes = r.Boolean();
      e.target = r.QualifiedName();
    }
  }
}

void Decode(UaBinaryReader& r, UaNodesRequest& out) {
  out.nodes.resize(r.OperationCount(2));
  for (UaNodeId& n : out.nodes) r.NodeIdInto(n);
}

void Decode(UaBinaryReader& r, UaReadRequest& out) {
  out.maxAge = r.Double();
  out.timestamps = r.UInt32();
  out.nodes.resize(r.OperationCount(16));
  for (UaReadValueId& n : out.nodes) {
    n.nodeId = r.NodeIdView();
    n.attribute = r.UInt32();
    n.hasIndexRange = !r.StringView().empty();
    r.UInt16();  // data encoding (a QualifiedName): only the default one is offered
    r.StringView();
  }
}

void Decode(UaBinaryReader& r, UaWriteRequest& out) {
  out.nodes.resize(r.OperationCount(10));
  for (UaWriteValue& n : out.nodes) {
    r.NodeIdInto(n.nodeId);
    n.attribute = r.UInt32();
    n.hasIndexRange = !r.StringView().empty();
    n.value = r.DataValue();
  }
}

void Decode(UaBinaryReader& r, UaCreateSubscriptionRequest& out) {
  out.intervalMs = r.Double();
  out.lifetimeCount = r.UInt32();
  out.maxKeepAliveCount = r.UInt32();
  out.maxNotificationsPerPublish = r.UInt32();
  out.publishingEnabled = r.Boolean();
  out.priority = r.Byte();
}

void Decode(UaBinaryReader& r, UaModifySubscriptionRequest& out) {
  out.subscriptionId = r.UInt32();
  out.intervalMs = r.Double();
  out.lifetimeCount = r.UInt32();
  out.maxKeepAliveCount = r.UInt32();
  out.maxNotificationsPerPublish = r.UInt32();
  out.priority = r.Byte();
}

void Decode(UaBinaryReader& r, UaSetPublishingModeRequest& out) {
  out.enabled = r.Boolean();
  DecodeIds(r, out.subscriptionIds);
}

void Decode(UaBinaryReader& r, UaDeleteSubscriptionsRequest& out) {
  DecodeIds(r, out.subscriptionIds);
}

void Decode(UaBinaryReader& r, UaCreateMonitoredItemsRequest& out) {
  out.subscriptionId = r.UInt32();
  out.timestamps = r.UInt32();
  out.items.resize(r.OperationCount(16));
  for (UaMonitoredItemCreate& c : out.items) {
    r.NodeIdInto(c.nodeId);
    c.attribute = r.UInt32();
    c.hasIndexRange = !r.StringView().empty();
    r.QualifiedName();  // data encoding
    c.mode = r.UInt32();
    DecodeMonitoringParameters(r, c.parameters);
  }
}

void Decode(UaBinaryReader& r, UaModifyMonitoredItemsRequest& out) {
  out.subscriptionId = r.UInt32();
  out.timestamps = r.UInt32();
  out.items.resize(r.OperationCount(8));
  for (auto& [id, p] : out.items) {
    id = r.UInt32();
    DecodeMonitoringParameters(r, p);
  }
}

void Decode(UaBinaryReader& r, UaSetMonitoringModeRequest& out) {
  out.subscriptionId = r.UInt32();
  out.mode = r.UInt32();
  DecodeIds(r, out.itemIds);
}

void Decode(UaBinaryReader& r, UaDeleteMonitoredItemsRequest& out) {
  out.subscriptionId = r.UInt32();
  DecodeIds(r, out.itemIds);
}

void Decode(UaBinaryReader& r, UaPublishRequest& out) {
  out.acknowledgements.resize(r.OperationCount(8));
  for (auto& [sub, seq] : out.acknowledgements) {
    sub = r.UInt32();
    seq = r.UInt32();
  }
}

void Decode(UaBinaryReader& r, UaRepublishRequest& out) {
  out.subscriptionId = r.UInt32();
  out.sequenceNumber = r.UInt32();
}

void Decode(UaBinaryReader& r, UaSetTriggeringRequest& out) {
  out.subscriptionId = r.UInt32();
  out.triggeringItemId = r.UInt32();
  DecodeIds(r, out.linksToAdd);
  DecodeIds(r, out.linksToRemove);
}

void Decode(UaBinaryReader& r, UaTransferSubscriptionsRequest& out) {
  DecodeIds(r, out.subscriptionIds);
  out.sendInitialValues = r.Boolean();
}

void Decode(UaBinaryReader& r, UaCallRequest& out) {
  out.methods.resize(r.OperationCount(6));
  for (UaCallMethodRequest& c : out.methods) {
    r.NodeIdInto(c.object);
    r.NodeIdInto(c.method);
    c.input.resize(r.ArrayLength(1));
    for (UaVariant& v : c.input) v = r.Variant();
  }
}
