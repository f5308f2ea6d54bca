// The Server object's mandatory components beyond its status and operation limits: redundancy,
// vendor information, auditing, diagnostics (switched off), the rest of its capabilities, and
// the methods GetMonitoredItems and ResendData.
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"

namespace {
struct ArgumentInfo {
  const char* name;
  std::uint32_t dataType;
  std::int32_t valueRank;
};

// An Argument array as the value of a method's InputArguments or OutputArguments.
UaVariant Arguments(std::vector<ArgumentInfo> arguments) {
  std::vector<UaVariant> elements;
  for (const ArgumentInfo& a : arguments) {
    elements.push_back(
        UaVariant::Extension(BinaryExtensionObject(ua_id::ArgumentEncoding, [&](UaBinaryWriter& w) {
          w.String(a.name);
          w.NodeId(UaNodeId::Numeric(0, a.dataType));
          w.Int32(a.valueRank);
          w.ArrayLength(a.valueRank == 1 ? 1 : 0);
          if (a.valueRank == 1) w.UInt32(0);
          w.LocalizedText({});
        })));
  }
  return UaVariant::Array(UaType::ExtensionObject, std::move(elements));
}
}  // namespace

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

  // The methods that the Call service serves.
  constexpr std::uint32_t UInt32 = 7;
  AddNode(GetMonitoredItems, UaNodeClass::Method, "GetMonitoredItems", 0, Server, HasComponent);
  AddVariable(GetMonitoredItemsInputArguments, "InputArguments", GetMonitoredItems, HasProperty,
              Argument, 1, [] {
                return Arguments({{"SubscriptionId", UInt32, -1}});
              });
  AddVariable(GetMonitoredItemsOutputArguments, "OutputArguments", GetMonitoredItems, HasProperty,
              Argument, 1, [] {
                return Arguments({{"ServerHandles", UInt32, 1}, {"ClientHandles", UInt32, 1}});
              });
  AddNode(ResendData, UaNodeClass::Method, "ResendData", 0, Server, HasComponent);
  AddVariable(ResendDataInputArguments, "InputArguments", ResendData, HasProperty, Argument, 1, [] {
    return Arguments({{"SubscriptionId", UInt32, -1}});
  });
}
