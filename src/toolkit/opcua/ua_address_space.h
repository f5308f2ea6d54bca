// UaAddressSpace: the nodes clients see. The standard nodes (Root, Objects, Types, Views, the
// Server object) and, under Objects, the served system's name space walked through the
// toolkit's callback and browser: branches as folders, items as variables, item properties as
// their HasProperty variables.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/c_opc_callback.h"
#include "toolkit/opcua/ua_item_cache.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/opcua/ua_types.h"

// Namespace index of the served items.
constexpr std::uint16_t kItemNamespace = 1;
// The project folder under Objects.
constexpr std::uint32_t kProjectFolderId = 1;

struct UaNodeInfo {
  UaNodeId id;
  UaNodeClass nodeClass = UaNodeClass::Object;
  UaQualifiedName browseName;
  UaLocalizedText displayName;
  UaLocalizedText description;
  std::uint32_t typeDefinition = 0;  // in namespace 0
  // Variables only.
  std::uint32_t dataType = ua_id::BaseDataType;
  std::int32_t valueRank = -2;
  std::uint8_t accessLevel = 1;  // bit 0 readable, bit 1 writable
  double minimumSamplingInterval = 0;
  // Type nodes only.
  bool isAbstract = false;
  bool symmetric = false;   // reference types
  std::string inverseName;  // reference types
};

struct UaReference {
  std::uint32_t referenceType = 0;
  bool isForward = true;
  UaNodeId target;
};

class UaAddressSpace {
 public:
  UaAddressSpace(COPCCallback& callback, const UaServerOptions& options);
  ~UaAddressSpace();
  UaAddressSpace(const UaAddressSpace&) = delete;
  UaAddressSpace& operator=(const UaAddressSpace&) = delete;

  // Attributes of a node; an item's name (in its description and display name) is looked up
  // only when asked for.
  std::optional<UaNodeInfo> Describe(const UaNodeId& id, bool withNames = true);
  // All references of a node, forward and inverse; false for an unknown node.
  bool References(const UaNodeId& id, std::vector<UaReference>& out);
  // One attribute; an item's Value comes from the cache (see ReadTagValue).
  UaDataValue Read(const UaNodeId& id, std::uint32_t attribute, double maxAge);
  // The common case of Read, an item variable's Value, filled into `out` (reusing its
  // buffers); false, with `out` untouched, when `id` is not a known item. The caller holds the
  // tag lock.
  bool ReadItemValue(const UaNodeId& id, double maxAge, UaDataValue& out);
  // ReadItemValue in two steps, for a Read that finds all its items before it reads them: the
  // tag behind an item variable (null for any other node), and its value. The caller holds
  // the tag lock from the one to the other.
  CTag* ItemTag(const UaNodeIdView& id);
  // The tag's value from the cache. The device is asked only for a tag that never had a value
  // (once), or with deviceReads and maxAge 0.
  void ReadTagValue(CTag& tag, double maxAge, UaDataValue& out);
  // Whether the attribute of the node exists (Good) or why not, without asking any device.
  UaStatusCode Check(const UaNodeId& id, std::uint32_t attribute);
  UaStatusCode Write(const UaNodeId& id, std::uint32_t attribute, const UaVariant& value);
  // The tag behind an item variable with a client reference taken (Release it); null otherwise.
  CTag* AcquireTag(const UaNodeId& id);
  // Whether `id` still names the item variable of `tag`: false once the item was deleted or a
  // branch above it renamed. The caller holds the tag lock.
  bool StillNames(const UaNodeId& id, const CTag* tag);
  COPCCallback& Callback() { return m_callback; }

  // Whether reference type `type` is `base` or one of its subtypes.
  static bool IsSubtypeOf(std::uint32_t type, std::uint32_t base);
  // An item's value, quality and time stamp as a UA DataValue (caller holds the tag lock).
  static UaDataValue TagDataValue(const CTag& tag);
  static void TagDataValue(const CTag& tag, UaDataValue& out);

 private:
  struct StandardNode {
    UaNodeInfo info;
    std::vector<UaReference> references;
    std::function<UaVariant()> value;
  };
  enum class Kind { Unknown, Standard, ProjectFolder, Folder, Item, Property };
  struct Resolved {
    Kind kind = Kind::Unknown;
    const StandardNode* standard = nullptr;
    std::string path;  // folder path or item ID, Windows-1252
    std::uint32_t propertyId = 0;
  };
  struct PropertyInfo {
    std::uint32_t id = 0;
    std::string description;  // UTF-8
    VARTYPE type = VT_EMPTY;
  };

  void BuildStandardNodes();
  // The type hierarchy under Types: reference, object, variable and data types.
  void BuildTypeNodes();
  // The Server object's components beyond its status and capabilities' limits.
  void BuildServerComponents();
  StandardNode& AddType(std::uint32_t id, UaNodeClass nodeClass, const char* name,
                        std::uint32_t supertype, bool isAbstract = false);
  StandardNode& AddNode(std::uint32_t id, UaNodeClass nodeClass, const char* name,
                        std::uint32_t typeDefinition, std::uint32_t parent,
                        std::uint32_t referenceFromParent);
  void AddVariable(std::uint32_t id, const char* name, std::uint32_t parent,
                   std::uint32_t referenceFromParent, std::uint32_t dataType,
                   std::int32_t valueRank, std::function<UaVariant()> value);
  UaVariant ServerStatusValue() const;
  UaVariant BuildInfoValue() const;
  std::string ProjectName() const;

  Resolved Resolve(const UaNodeId& id);
  bool IsFolderPath(const std::string& path);
  COPCBrowser* Browser();
  bool MoveBrowserTo(const std::string& path);
  void FolderChildren(const std::string& path, std::vector<std::string>& folders,
                      std::vector<std::string>& items);
  std::vector<PropertyInfo> Properties(const std::string& itemId);
  UaNodeInfo ItemInfo(const std::string& itemId, const CTag& tag, bool withNames);
  // The tag of an item ID (UTF-8) under the tag lock, remembered for the next time.
  CTag* FindItemTag(std::string_view utf8);
  UaDataValue ReadItem(const std::string& itemId, std::uint32_t attribute, double maxAge);
  UaDataValue ReadProperty(const std::string& itemId, std::uint32_t propertyId,
                           std::uint32_t attribute);
  UaStatusCode WriteItem(const std::string& itemId, const UaVariant& value);
  // The EURange property's value: the item's limits as a Range.
  UaDataValue EuRangeValue(const std::string& itemId);
  UaDataValue ReadCommon(const UaNodeInfo& info, std::uint32_t attribute);

  COPCCallback& m_callback;
  const UaServerOptions& m_options;
  UaDateTime m_startTime;
  std::map<std::uint32_t, StandardNode> m_standard;
  COPCBrowser* m_browser = nullptr;
  bool m_browserMade = false;
  UaItemCache m_itemCache;  // guarded by the tag lock
};
