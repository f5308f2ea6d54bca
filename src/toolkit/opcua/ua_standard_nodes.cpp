// The standard nodes of the address space: the root folders and the Server object's status
// and capabilities.
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_service_header.h"

namespace {
UaVariant StringArray(std::vector<std::string> texts) {
  std::vector<UaVariant> elements;
  for (auto& t : texts) elements.push_back(UaVariant::String(std::move(t)));
  return UaVariant::Array(UaType::String, std::move(elements));
}
}  // namespace

UaAddressSpace::StandardNode& UaAddressSpace::AddNode(std::uint32_t id, UaNodeClass nodeClass,
                                                      const char* name,
                                                      std::uint32_t typeDefinition,
                                                      std::uint32_t parent,
                                                      std::uint32_t referenceFromParent) {
  StandardNode& node = m_standard[id];
  node.info.id = UaNodeId::Numeric(0, id);
  node.info.nodeClass = nodeClass;
  node.info.browseName = {0, name};
  node.info.displayName = {{}, name};
  node.info.typeDefinition = typeDefinition;
  if (typeDefinition != 0) {
    node.references.push_back(
        {ua_id::HasTypeDefinition, true, UaNodeId::Numeric(0, typeDefinition)});
  }
  if (parent != 0) {
    node.references.push_back({referenceFromParent, false, UaNodeId::Numeric(0, parent)});
    m_standard[parent].references.push_back({referenceFromParent, true, node.info.id});
  }
  return node;
}

void UaAddressSpace::AddVariable(std::uint32_t id, const char* name, std::uint32_t parent,
                                 std::uint32_t referenceFromParent, std::uint32_t dataType,
                                 std::int32_t valueRank, std::function<UaVariant()> value) {
  std::uint32_t type =
      referenceFromParent == ua_id::HasProperty ? ua_id::PropertyType : ua_id::BaseDataVariableType;
  StandardNode& node = AddNode(id, UaNodeClass::Variable, name, type, parent, referenceFromParent);
  node.info.dataType = dataType;
  node.info.valueRank = valueRank;
  node.value = std::move(value);
}

UaVariant UaAddressSpace::BuildInfoValue() const {
  return UaVariant::Extension(
      BinaryExtensionObject(ua_id::BuildInfoEncoding, [this](UaBinaryWriter& w) {
        w.String(m_options.productUri);
        w.String(m_callback.GetVendorInfo());
        w.String(m_options.applicationName);
        w.String(m_options.softwareVersion);
        w.String(m_options.softwareVersion);
        w.DateTime(m_startTime);
      }));
}

UaVariant UaAddressSpace::ServerStatusValue() const {
  return UaVariant::Extension(
      BinaryExtensionObject(ua_id::ServerStatusDataTypeEncoding, [this](UaBinaryWriter& w) {
        w.DateTime(m_startTime);
        w.DateTime(UaNow());
        w.Int32(0);  // Running
        const std::string& build = BuildInfoValue().extension.body;
        w.Raw(build.data(), build.size());
        w.UInt32(0);          // seconds till shutdown
        w.LocalizedText({});  // shutdown reason
      }));
}

void UaAddressSpace::BuildStandardNodes() {
  using namespace ua_id;
  constexpr auto Object = UaNodeClass::Object;
  AddNode(RootFolder, Object, "Root", FolderType, 0, 0);
  AddNode(ObjectsFolder, Object, "Objects", FolderType, RootFolder, Organizes);
  AddNode(TypesFolder, Object, "Types", FolderType, RootFolder, Organizes);
  AddNode(ViewsFolder, Object, "Views", FolderType, RootFolder, Organizes);
  AddNode(Server, Object, "Server", ServerType, ObjectsFolder, Organizes);
  BuildTypeNodes();

  std::vector<std::string> namespaces = {"http://opcfoundation.org/UA/", m_options.namespaceUri};
  AddVariable(NamespaceArray, "NamespaceArray", Server, HasProperty, 12, 1,
              [namespaces] { return StringArray(namespaces); });
  AddVariable(ServerArray, "ServerArray", Server, HasProperty, 12, 1,
              [this] { return StringArray({m_options.applicationUri}); });
  AddVariable(ServiceLevel, "ServiceLevel", Server, HasProperty, 3, -1,
              [] { return UaVariant::Byte(255); });

  AddVariable(ServerStatus, "ServerStatus", Server, HasComponent, ServerStatusDataType, -1,
              [this] { return ServerStatusValue(); });
  m_standard[ServerStatus].info.typeDefinition = ServerStatusType;
  m_standard[ServerStatus].references.front().target = UaNodeId::Numeric(0, ServerStatusType);
  AddVariable(ServerStatusStartTime, "StartTime", ServerStatus, HasComponent, UtcTime, -1,
              [this] { return UaVariant::DateTime(m_startTime); });
  AddVariable(ServerStatusCurrentTime, "CurrentTime", ServerStatus, HasComponent, UtcTime, -1,
              [] { return UaVariant::DateTime(UaNow()); });
  AddVariable(ServerStatusState, "State", ServerStatus, HasComponent, ua_id::ServerState, -1,
              [] { return UaVariant::Int32(0); });
  AddVariable(ServerStatusBuildInfo, "BuildInfo", ServerStatus, HasComponent, ua_id::BuildInfo, -1,
              [this] { return BuildInfoValue(); });
  m_standard[ServerStatusBuildInfo].info.typeDefinition = BuildInfoType;
  m_standard[ServerStatusBuildInfo].references.front().target = UaNodeId::Numeric(0, BuildInfoType);
  AddVariable(BuildInfoProductUri, "ProductUri", ServerStatusBuildInfo, HasComponent, 12, -1,
              [this] { return UaVariant::String(m_options.productUri); });
  AddVariable(BuildInfoManufacturerName, "ManufacturerName", ServerStatusBuildInfo, HasComponent,
              12, -1, [this] { return UaVariant::String(m_callback.GetVendorInfo()); });
  AddVariable(BuildInfoProductName, "ProductName", ServerStatusBuildInfo, HasComponent, 12, -1,
              [this] { return UaVariant::String(m_options.applicationName); });
  AddVariable(BuildInfoSoftwareVersion, "SoftwareVersion", ServerStatusBuildInfo, HasComponent, 12,
              -1, [this] { return UaVariant::String(m_options.softwareVersion); });
  AddVariable(BuildInfoBuildNumber, "BuildNumber", ServerStatusBuildInfo, HasComponent, 12, -1,
              [this] { return UaVariant::String(m_options.softwareVersion); });
  AddVariable(BuildInfoBuildDate, "BuildDate", ServerStatusBuildInfo, HasComponent, UtcTime, -1,
              [this] { return UaVariant::DateTime(m_startTime); });
  AddVariable(ServerStatusSecondsTillShutdown, "SecondsTillShutdown", ServerStatus, HasComponent, 7,
              -1, [] { return UaVariant::UInt32(0); });
  AddVariable(ServerStatusShutdownReason, "ShutdownReason", ServerStatus, HasComponent, 21, -1,
              [] { return UaVariant::LocalizedText({}); });

  AddNode(ServerCapabilities, Object, "ServerCapabilities", ServerCapabilitiesType, Server,
          HasComponent);
  AddVariable(ServerProfileArray, "ServerProfileArray", ServerCapabilities, HasProperty, 12, 1, [] {
    return StringArray(
        {"http://opcfoundation.org/UA-Profile/Server/MicroEmbeddedDevice2017",
         "http://opcfoundation.org/UA-Profile/Server/StandardDataChangeSubscription2017"});
  });
  AddVariable(LocaleIdArray, "LocaleIdArray", ServerCapabilities, HasProperty, LocaleId, 1,
              [] { return StringArray({"en"}); });
  AddVariable(MinSupportedSampleRate, "MinSupportedSampleRate", ServerCapabilities, HasProperty,
              Duration, -1, [this] {
                return UaVariant::Double(static_cast<double>(m_callback.ReviseUpdateRate(0)));
              });
  AddVariable(MaxBrowseContinuationPoints, "MaxBrowseContinuationPoints", ServerCapabilities,
              HasProperty, 5, -1, [] { return UaVariant::UInt16(16); });
  AddVariable(MaxArrayLength, "MaxArrayLength", ServerCapabilities, HasProperty, 7, -1,
              [this] { return UaVariant::UInt32(m_options.maxArrayLength); });
  AddVariable(MaxStringLength, "MaxStringLength", ServerCapabilities, HasProperty, 7, -1,
              [this] { return UaVariant::UInt32(m_options.maxStringLength); });
  AddNode(OperationLimits, Object, "OperationLimits", OperationLimitsType, ServerCapabilities,
          HasComponent);
  auto limit = [this] { return UaVariant::UInt32(m_options.maxNodesPerRequest); };
  AddVariable(MaxNodesPerRead, "MaxNodesPerRead", OperationLimits, HasProperty, 7, -1, limit);
  AddVariable(MaxNodesPerWrite, "MaxNodesPerWrite", OperationLimits, HasProperty, 7, -1, limit);
  AddVariable(MaxNodesPerBrowse, "MaxNodesPerBrowse", OperationLimits, HasProperty, 7, -1, limit);
  AddVariable(MaxNodesPerRegisterNodes, "MaxNodesPerRegisterNodes", OperationLimits, HasProperty, 7,
              -1, limit);
  AddVariable(MaxNodesPerTranslateBrowsePathsToNodeIds, "MaxNodesPerTranslateBrowsePathsToNodeIds",
              OperationLimits, HasProperty, 7, -1, limit);
  AddVariable(MaxMonitoredItemsPerCall, "MaxMonitoredItemsPerCall", OperationLimits, HasProperty, 7,
              -1, limit);

  BuildServerComponents();

  // The project folder is served from the toolkit; Objects organizes it.
  m_standard[ObjectsFolder].references.push_back(
      {Organizes, true, UaNodeId::Numeric(kItemNamespace, kProjectFolderId)});
}
