// The standard type hierarchy that the served nodes refer to, browsable from the Types folder
// along HasSubtype: reference types, object types, variable types and data types.
#include "toolkit/opcua/ua_address_space.h"

namespace {
struct ReferenceTypeEntry {
  std::uint32_t id;
  const char* name;
  std::uint32_t supertype;
  bool isAbstract;
  bool symmetric;
  const char* inverseName;
};

// Supertypes come before their subtypes.
constexpr ReferenceTypeEntry kReferenceTypes[] = {
    {ua_id::References, "References", 0, true, true, ""},
    {ua_id::HierarchicalReferences, "HierarchicalReferences", ua_id::References, true, false,
     "InverseHierarchicalReferences"},
    {ua_id::NonHierarchicalReferences, "NonHierarchicalReferences", ua_id::References, true, true,
     ""},
    {ua_id::HasChild, "HasChild", ua_id::HierarchicalReferences, true, false, "ChildOf"},
    {ua_id::Organizes, "Organizes", ua_id::HierarchicalReferences, false, false, "OrganizedBy"},
    {ua_id::HasEventSource, "HasEventSource", ua_id::HierarchicalReferences, false, false,
     "EventSourceOf"},
    {ua_id::Aggregates, "Aggregates", ua_id::HasChild, true, false, "AggregatedBy"},
    {ua_id::HasSubtype, "HasSubtype", ua_id::HasChild, false, false, "SubtypeOf"},
    {ua_id::HasProperty, "HasProperty", ua_id::Aggregates, false, false, "PropertyOf"},
    {ua_id::HasComponent, "HasComponent", ua_id::Aggregates, false, false, "ComponentOf"},
    {ua_id::HasOrderedComponent, "HasOrderedComponent", ua_id::HasComponent, false, false,
     "OrderedComponentOf"},
    {ua_id::HasNotifier, "HasNotifier", ua_id::HasEventSource, false, false, "NotifierOf"},
    {ua_id::HasModellingRule, "HasModellingRule", ua_id::NonHierarchicalReferences, false, false,
     "ModellingRuleOf"},
    {ua_id::HasEncoding, "HasEncoding", ua_id::NonHierarchicalReferences, false, false,
     "EncodingOf"},
    {ua_id::HasDescription, "HasDescription", ua_id::NonHierarchicalReferences, false, false,
     "DescriptionOf"},
    {ua_id::HasTypeDefinition, "HasTypeDefinition", ua_id::NonHierarchicalReferences, false, false,
     "TypeDefinitionOf"},
    {ua_id::GeneratesEvent, "GeneratesEvent", ua_id::NonHierarchicalReferences, false, false,
     "GeneratedBy"},
};

struct TypeEntry {
  std::uint32_t id;
  const char* name;
  std::uint32_t supertype;
  bool isAbstract;
};

constexpr TypeEntry kObjectTypes[] = {
    {ua_id::BaseObjectType, "BaseObjectType", 0, false},
    {ua_id::FolderType, "FolderType", ua_id::BaseObjectType, false},
    {ua_id::ServerType, "ServerType", ua_id::BaseObjectType, false},
    {ua_id::ServerCapabilitiesType, "ServerCapabilitiesType", ua_id::BaseObjectType, false},
    {ua_id::ServerDiagnosticsType, "ServerDiagnosticsType", ua_id::BaseObjectType, false},
    {ua_id::VendorServerInfoType, "VendorServerInfoType", ua_id::BaseObjectType, false},
    {ua_id::ServerRedundancyType, "ServerRedundancyType", ua_id::BaseObjectType, false},
    {ua_id::OperationLimitsType, "OperationLimitsType", ua_id::FolderType, false},
};

struct VariableTypeEntry {
  std::uint32_t id;
  const char* name;
  std::uint32_t supertype;
  bool isAbstract;
  std::uint32_t dataType;
  std::int32_t valueRank;
};

constexpr VariableTypeEntry kVariableTypes[] = {
    {ua_id::BaseVariableType, "BaseVariableType", 0, true, ua_id::BaseDataType, -2},
    {ua_id::BaseDataVariableType, "BaseDataVariableType", ua_id::BaseVariableType, false,
     ua_id::BaseDataType, -2},
    {ua_id::PropertyType, "PropertyType", ua_id::BaseVariableType, false, ua_id::BaseDataType, -2},
    {ua_id::ServerStatusType, "ServerStatusType", ua_id::BaseDataVariableType, false,
     ua_id::ServerStatusDataType, -1},
    {ua_id::BuildInfoType, "BuildInfoType", ua_id::BaseDataVariableType, false, ua_id::BuildInfo,
     -1},
};

// The built-in types use their type number as node id.
constexpr TypeEntry kDataTypes[] = {
    {ua_id::BaseDataType, "BaseDataType", 0, true},
    {1, "Boolean", ua_id::BaseDataType, false},
    {26, "Number", ua_id::BaseDataType, true},
    {27, "Integer", 26, true},
    {28, "UInteger", 26, true},
    {2, "SByte", 27, false},
    {4, "Int16", 27, false},
    {6, "Int32", 27, false},
    {8, "Int64", 27, false},
    {3, "Byte", 28, false},
    {5, "UInt16", 28, false},
    {7, "UInt32", 28, false},
    {9, "UInt64", 28, false},
    {10, "Float", 26, false},
    {11, "Double", 26, false},
    {ua_id::Duration, "Duration", 11, false},
    {12, "String", ua_id::BaseDataType, false},
    {ua_id::LocaleId, "LocaleId", 12, false},
    {13, "DateTime", ua_id::BaseDataType, false},
    {ua_id::UtcTime, "UtcTime", 13, false},
    {15, "ByteString", ua_id::BaseDataType, false},
    {17, "NodeId", ua_id::BaseDataType, false},
    {19, "StatusCode", ua_id::BaseDataType, false},
    {20, "QualifiedName", ua_id::BaseDataType, false},
    {21, "LocalizedText", ua_id::BaseDataType, false},
    {22, "Structure", ua_id::BaseDataType, true},
    {ua_id::Argument, "Argument", 22, false},
    {ua_id::BuildInfo, "BuildInfo", 22, false},
    {ua_id::Range, "Range", 22, false},
    {ua_id::SignedSoftwareCertificate, "SignedSoftwareCertificate", 22, false},
    {ua_id::ServerStatusDataType, "ServerStatusDataType", 22, false},
    {29, "Enumeration", ua_id::BaseDataType, true},
    {ua_id::RedundancySupport, "RedundancySupport", 29, false},
    {ua_id::ServerState, "ServerState", 29, false},
};
}  // namespace

UaAddressSpace::StandardNode& UaAddressSpace::AddType(std::uint32_t id, UaNodeClass nodeClass,
                                                      const char* name, std::uint32_t supertype,
                                                      bool isAbstract) {
  StandardNode& node = AddNode(id, nodeClass, name, 0, supertype, ua_id::HasSubtype);
  node.info.isAbstract = isAbstract;
  return node;
}

void UaAddressSpace::BuildTypeNodes() {
  using namespace ua_id;
  constexpr auto Object = UaNodeClass::Object;
  AddNode(ObjectTypesFolder, Object, "ObjectTypes", FolderType, TypesFolder, Organizes);
  AddNode(VariableTypesFolder, Object, "VariableTypes", FolderType, TypesFolder, Organizes);
  AddNode(DataTypesFolder, Object, "DataTypes", FolderType, TypesFolder, Organizes);
  AddNode(ReferenceTypesFolder, Object, "ReferenceTypes", FolderType, TypesFolder, Organizes);

  for (const ReferenceTypeEntry& e : kReferenceTypes) {
    StandardNode& node =
        AddType(e.id, UaNodeClass::ReferenceType, e.name, e.supertype, e.isAbstract);
    node.info.symmetric = e.symmetric;
    node.info.inverseName = e.inverseName;
  }
  for (const TypeEntry& e : kObjectTypes) {
    AddType(e.id, UaNodeClass::ObjectType, e.name, e.supertype, e.isAbstract);
  }
  for (const VariableTypeEntry& e : kVariableTypes) {
    StandardNode& node =
        AddType(e.id, UaNodeClass::VariableType, e.name, e.supertype, e.isAbstract);
    node.info.dataType = e.dataType;
    node.info.valueRank = e.valueRank;
  }
  for (const TypeEntry& e : kDataTypes) {
    AddType(e.id, UaNodeClass::DataType, e.name, e.supertype, e.isAbstract);
  }
  // The roots of the four trees are organized by their folders.
  auto organize = [this](std::uint32_t folder, std::uint32_t root) {
    m_standard[folder].references.push_back({Organizes, true, UaNodeId::Numeric(0, root)});
    m_standard[root].references.push_back({Organizes, false, UaNodeId::Numeric(0, folder)});
  };
  organize(ReferenceTypesFolder, ua_id::References);
  organize(ObjectTypesFolder, BaseObjectType);
  organize(VariableTypesFolder, BaseVariableType);
  organize(DataTypesFolder, BaseDataType);
}
