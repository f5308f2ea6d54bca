// The Server object's mandatory components beyond its status and operation limits: redundancy,
// vendor information, auditing, diagnostics (switched off) and the rest of its capabilities.
#include "toolkit/opcua/ua_address_space.h"

void UaAddressSpace::BuildServerComponents() {
  using namespace ua_id;
  constexpr auto Object = UaNodeClass::Object;
  AddVariable(Auditing, "Auditing", Server, HasProperty, 1, -1,
              [] { return UaVariant::Boolean(false); });
  AddNode(ServerDiagnostics, Object, "ServerDiagnostics", ServerDiagnosticsType, Server,
          HasComponent);
  AddVariable(ServerDiagnosticsEnabledFlag, "EnabledFlag", ServerDiagnostics, HasProperty, 1, -1,
              [] { return UaVariant::Boolean(false); });
  AddNode(VendorServerInfo, Object, "VendorServerInfo", VendorServerInfoType, Server, HasComponent);
  AddNode(ServerRedundancy, Object, "ServerRedundancy", ServerRedundancyType, Server, HasComponent);
  // A single server: RedundancySupport None.
  AddVariable(RedundancySupportProperty, "RedundancySupport", ServerRedundancy, HasProperty,
              ua_id::RedundancySupport, -1, [] { return UaVariant::Int32(0); });

  // Queries and history are not served: no continuation points for them.
  AddVariable(MaxQueryContinuationPoints, "MaxQueryContinuationPoints", ServerCapabilities,
              HasProperty, 5, -1, [] { return UaVariant::UInt16(0); });
  AddVariable(MaxHistoryContinuationPoints, "MaxHistoryContinuationPoints", ServerCapabilities,
              HasProperty, 5, -1, [] { return UaVariant::UInt16(0); });
  AddVariable(SoftwareCertificates, "SoftwareCertificates", ServerCapabilities, HasProperty,
              SignedSoftwareCertificate, 1,
              [] { return UaVariant::Array(UaType::ExtensionObject, {}); });
  AddNode(ModellingRules, Object, "ModellingRules", FolderType, ServerCapabilities, HasComponent);
  AddNode(AggregateFunctions, Object, "AggregateFunctions", FolderType, ServerCapabilities,
          HasComponent);
}
