// Numeric identifiers of the standard OPC UA namespace: nodes, types, encodings and attributes.
#pragma once

#include <cstdint>

namespace ua_id {
// Data types (the built-in types use their type number as node id).
constexpr std::uint32_t BaseDataType = 24;
constexpr std::uint32_t Duration = 290;
constexpr std::uint32_t UtcTime = 294;
constexpr std::uint32_t LocaleId = 295;
constexpr std::uint32_t ServerState = 852;
constexpr std::uint32_t ServerStatusDataType = 862;
constexpr std::uint32_t BuildInfo = 338;
constexpr std::uint32_t Argument = 296;
constexpr std::uint32_t SignedSoftwareCertificate = 344;
constexpr std::uint32_t RedundancySupport = 851;
constexpr std::uint32_t EUInformation = 887;
constexpr std::uint32_t Range = 884;

// Reference types.
constexpr std::uint32_t References = 31;
constexpr std::uint32_t NonHierarchicalReferences = 32;
constexpr std::uint32_t HierarchicalReferences = 33;
constexpr std::uint32_t HasChild = 34;
constexpr std::uint32_t Organizes = 35;
constexpr std::uint32_t HasEventSource = 36;
constexpr std::uint32_t HasModellingRule = 37;
constexpr std::uint32_t HasEncoding = 38;
constexpr std::uint32_t HasDescription = 39;
constexpr std::uint32_t HasTypeDefinition = 40;
constexpr std::uint32_t GeneratesEvent = 41;
constexpr std::uint32_t Aggregates = 44;
constexpr std::uint32_t HasSubtype = 45;
constexpr std::uint32_t HasProperty = 46;
constexpr std::uint32_t HasComponent = 47;
constexpr std::uint32_t HasNotifier = 48;
constexpr std::uint32_t HasOrderedComponent = 49;

// Object and variable types.
constexpr std::uint32_t BaseObjectType = 58;
constexpr std::uint32_t FolderType = 61;
constexpr std::uint32_t BaseVariableType = 62;
constexpr std::uint32_t BaseDataVariableType = 63;
constexpr std::uint32_t PropertyType = 68;
constexpr std::uint32_t ServerType = 2004;
constexpr std::uint32_t ServerCapabilitiesType = 2013;
constexpr std::uint32_t ServerDiagnosticsType = 2020;
constexpr std::uint32_t VendorServerInfoType = 2033;
constexpr std::uint32_t ServerRedundancyType = 2034;
constexpr std::uint32_t ServerStatusType = 2138;
constexpr std::uint32_t BuildInfoType = 3051;
constexpr std::uint32_t OperationLimitsType = 11564;

// Standard nodes.
constexpr std::uint32_t RootFolder = 84;
constexpr std::uint32_t ObjectsFolder = 85;
constexpr std::uint32_t TypesFolder = 86;
constexpr std::uint32_t ViewsFolder = 87;
constexpr std::uint32_t ObjectTypesFolder = 88;
constexpr std::uint32_t VariableTypesFolder = 89;
constexpr std::uint32_t DataTypesFolder = 90;
constexpr std::uint32_t ReferenceTypesFolder = 91;
constexpr std::uint32_t Server = 2253;
constexpr std::uint32_t ServerArray = 2254;
constexpr std::uint32_t NamespaceArray = 2255;
constexpr std::uint32_t ServerStatus = 2256;
constexpr std::uint32_t ServerStatusStartTime = 2257;
constexpr std::uint32_t ServerStatusCurrentTime = 2258;
constexpr std::uint32_t ServerStatusState = 2259;
constexpr std::uint32_t ServerStatusBuildInfo = 2260;
constexpr std::uint32_t BuildInfoProductName = 2261;
constexpr std::uint32_t BuildInfoProductUri = 2262;
constexpr std::uint32_t BuildInfoManufacturerName = 2263;
constexpr std::uint32_t BuildInfoSoftwareVersion = 2264;
constexpr std::uint32_t BuildInfoBuildNumber = 2265;
constexpr std::uint32_t BuildInfoBuildDate = 2266;
constexpr std::uint32_t ServiceLevel = 2267;
constexpr std::uint32_t ServerCapabilities = 2268;
constexpr std::uint32_t ServerProfileArray = 2269;
constexpr std::uint32_t LocaleIdArray = 2271;
constexpr std::uint32_t MinSupportedSampleRate = 2272;
constexpr std::uint32_t ServerDiagnostics = 2274;
constexpr std::uint32_t ServerDiagnosticsEnabledFlag = 2294;
constexpr std::uint32_t VendorServerInfo = 2295;
constexpr std::uint32_t ServerRedundancy = 2296;
constexpr std::uint32_t MaxBrowseContinuationPoints = 2735;
constexpr std::uint32_t MaxQueryContinuationPoints = 2736;
constexpr std::uint32_t MaxHistoryContinuationPoints = 2737;
constexpr std::uint32_t Auditing = 2994;
constexpr std::uint32_t ModellingRules = 2996;
constexpr std::uint32_t AggregateFunctions = 2997;
constexpr std::uint32_t SoftwareCertificates = 3704;
constexpr std::uint32_t RedundancySupportProperty = 3709;
constexpr std::uint32_t GetMonitoredItems = 11492;
constexpr std::uint32_t GetMonitoredItemsInputArguments = 11493;
constexpr std::uint32_t GetMonitoredItemsOutputArguments = 11494;
constexpr std::uint32_t ResendData = 12873;
constexpr std::uint32_t ResendDataInputArguments = 12874;
constexpr std::uint32_t ServerStatusSecondsTillShutdown = 2992;
constexpr std::uint32_t ServerStatusShutdownReason = 2993;
constexpr std::uint32_t MaxArrayLength = 11702;
constexpr std::uint32_t MaxStringLength = 11703;
constexpr std::uint32_t OperationLimits = 11704;
constexpr std::uint32_t MaxNodesPerRead = 11705;
constexpr std::uint32_t MaxNodesPerWrite = 11707;
constexpr std::uint32_t MaxNodesPerBrowse = 11710;
constexpr std::uint32_t MaxNodesPerRegisterNodes = 11711;
constexpr std::uint32_t MaxNodesPerTranslateBrowsePathsToNodeIds = 11712;
constexpr std::uint32_t MaxMonitoredItemsPerCall = 11714;

// Binary encodings of structures.
constexpr std::uint32_t AnonymousIdentityToken = 321;
constexpr std::uint32_t UserNameIdentityToken = 324;
constexpr std::uint32_t ArgumentEncoding = 298;
constexpr std::uint32_t BuildInfoEncoding = 340;
constexpr std::uint32_t RangeEncoding = 886;
constexpr std::uint32_t ServerStatusDataTypeEncoding = 864;
constexpr std::uint32_t DataChangeFilter = 724;
constexpr std::uint32_t DataChangeNotification = 811;
constexpr std::uint32_t StatusChangeNotification = 820;

// Service requests and responses (binary encoding ids).
constexpr std::uint32_t ServiceFault = 397;
constexpr std::uint32_t FindServersRequest = 422;
constexpr std::uint32_t FindServersResponse = 425;
constexpr std::uint32_t GetEndpointsRequest = 428;
constexpr std::uint32_t GetEndpointsResponse = 431;
constexpr std::uint32_t OpenSecureChannelRequest = 446;
constexpr std::uint32_t OpenSecureChannelResponse = 449;
constexpr std::uint32_t CloseSecureChannelRequest = 452;
constexpr std::uint32_t CreateSessionRequest = 461;
constexpr std::uint32_t CreateSessionResponse = 464;
constexpr std::uint32_t ActivateSessionRequest = 467;
constexpr std::uint32_t ActivateSessionResponse = 470;
constexpr std::uint32_t CloseSessionRequest = 473;
constexpr std::uint32_t CloseSessionResponse = 476;
constexpr std::uint32_t BrowseRequest = 527;
constexpr std::uint32_t BrowseResponse = 530;
constexpr std::uint32_t BrowseNextRequest = 533;
constexpr std::uint32_t BrowseNextResponse = 536;
constexpr std::uint32_t TranslateBrowsePathsRequest = 554;
constexpr std::uint32_t TranslateBrowsePathsResponse = 557;
constexpr std::uint32_t RegisterNodesRequest = 560;
constexpr std::uint32_t RegisterNodesResponse = 563;
constexpr std::uint32_t UnregisterNodesRequest = 566;
constexpr std::uint32_t UnregisterNodesResponse = 569;
constexpr std::uint32_t ReadRequest = 631;
constexpr std::uint32_t ReadResponse = 634;
constexpr std::uint32_t WriteRequest = 673;
constexpr std::uint32_t WriteResponse = 676;
constexpr std::uint32_t CreateMonitoredItemsRequest = 751;
constexpr std::uint32_t CreateMonitoredItemsResponse = 754;
constexpr std::uint32_t ModifyMonitoredItemsRequest = 763;
constexpr std::uint32_t ModifyMonitoredItemsResponse = 766;
constexpr std::uint32_t SetMonitoringModeRequest = 769;
constexpr std::uint32_t SetMonitoringModeResponse = 772;
constexpr std::uint32_t DeleteMonitoredItemsRequest = 781;
constexpr std::uint32_t DeleteMonitoredItemsResponse = 784;
constexpr std::uint32_t CreateSubscriptionRequest = 787;
constexpr std::uint32_t CreateSubscriptionResponse = 790;
constexpr std::uint32_t ModifySubscriptionRequest = 793;
constexpr std::uint32_t ModifySubscriptionResponse = 796;
constexpr std::uint32_t SetPublishingModeRequest = 799;
constexpr std::uint32_t SetPublishingModeResponse = 802;
constexpr std::uint32_t CallRequest = 712;
constexpr std::uint32_t CallResponse = 715;
constexpr std::uint32_t SetTriggeringRequest = 775;
constexpr std::uint32_t SetTriggeringResponse = 778;
constexpr std::uint32_t TransferSubscriptionsRequest = 841;
constexpr std::uint32_t TransferSubscriptionsResponse = 844;
constexpr std::uint32_t PublishRequest = 826;
constexpr std::uint32_t PublishResponse = 829;
constexpr std::uint32_t RepublishRequest = 832;
constexpr std::uint32_t RepublishResponse = 835;
constexpr std::uint32_t DeleteSubscriptionsRequest = 847;
constexpr std::uint32_t DeleteSubscriptionsResponse = 850;
}  // namespace ua_id

// Node attributes.
namespace ua_attr {
constexpr std::uint32_t NodeId = 1;
constexpr std::uint32_t NodeClass = 2;
constexpr std::uint32_t BrowseName = 3;
constexpr std::uint32_t DisplayName = 4;
constexpr std::uint32_t Description = 5;
constexpr std::uint32_t WriteMask = 6;
constexpr std::uint32_t UserWriteMask = 7;
constexpr std::uint32_t IsAbstract = 8;
constexpr std::uint32_t Symmetric = 9;
constexpr std::uint32_t InverseName = 10;
constexpr std::uint32_t EventNotifier = 12;
constexpr std::uint32_t Value = 13;
constexpr std::uint32_t DataType = 14;
constexpr std::uint32_t ValueRank = 15;
constexpr std::uint32_t ArrayDimensions = 16;
constexpr std::uint32_t AccessLevel = 17;
constexpr std::uint32_t UserAccessLevel = 18;
constexpr std::uint32_t MinimumSamplingInterval = 19;
constexpr std::uint32_t Historizing = 20;
constexpr std::uint32_t Executable = 21;
constexpr std::uint32_t UserExecutable = 22;
}  // namespace ua_attr

// Node classes.
enum class UaNodeClass : std::int32_t {
  Unspecified = 0,
  Object = 1,
  Variable = 2,
  Method = 4,
  ObjectType = 8,
  VariableType = 16,
  ReferenceType = 32,
  DataType = 64
};
