// OpcNameSpaceBrowser: moving through the name space and enumerating it with filters.
#include "opc/opc_namespace_browser.h"

#include <limits>
#include <mutex>

#include "opc/opc_server_callback.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "project/item_id.h"
#include "toolkit/toolkit.h"

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr std::size_t kEnded = std::numeric_limits<std::size_t>::max();

bool Contains(const GroupNode& node, const GroupNode* wanted) {
  for (const auto& child : node.m_children)
    if (child.get() == wanted || Contains(*child, wanted)) return true;
  return false;
}

// Depth first: a node's leaves in order, then its child nodes in order.
void AppendItemIds(const GroupNode& node, std::vector<std::string>& ids) {
  for (const auto& item : node.m_items) ids.push_back(item->m_itemId);
  for (const auto& child : node.m_children) AppendItemIds(*child, ids);
}

}  // namespace

OpcNameSpaceBrowser::OpcNameSpaceBrowser(OpcServerCallback& server)
    : m_server(server), m_current(&server.Root()) {
  m_buffer.reserve(kMaxNameLength + 1);
}

int OpcNameSpaceBrowser::QueryOrganization() {
  return OPC_NS_HIERARCHIAL;
}

GroupNode& OpcNameSpaceBrowser::Current() {
  GroupNode& root = m_server.Root();
  // The browser outlives projects: a node it stood on may have been destroyed meanwhile.
  if (m_current != &root && !Contains(root, m_current)) {
    m_current = &root;
    if (m_mode != OPC_FLAT) m_cursor = kEnded;
  }
  return *m_current;
}

int OpcNameSpaceBrowser::MoveUp() {
  Guard lock(m_server.GetTagLock());
  GroupNode& node = Current();
  if (!node.m_parent) return 0;
  m_current = node.m_parent;
  ResetEnumeration();
  return 1;
}

int OpcNameSpaceBrowser::MoveDown(const char* name) {
  if (!name) return 0;
  Guard lock(m_server.GetTagLock());
  GroupNode* child = Current().m_children.Find(name);
  if (!child) return 0;
  m_current = child;
  ResetEnumeration();
  return 1;
}

long OpcNameSpaceBrowser::BrowseItemIDs(int browseType, const char* pattern, VARTYPE dataTypeFilter,
                                        std::uint32_t accessRightsFilter) {
  Guard lock(m_server.GetTagLock());
  m_mode =
      browseType == OPC_BRANCH || browseType == OPC_LEAF || browseType == OPC_FLAT ? browseType : 0;
  m_pattern = pattern ? pattern : "";
  m_dataTypeFilter = dataTypeFilter;
  m_accessRightsFilter = accessRightsFilter;
  if (m_mode == OPC_FLAT) {
    m_current = &m_server.Root();
    m_flatList.clear();
    AppendItemIds(*m_current, m_flatList);
  }
  ResetEnumeration();
  return 0;
}

const char* OpcNameSpaceBrowser::GetItemID(const char* name) {
  Guard lock(m_server.GetTagLock());
  if (!name) return Return({});
  GroupNode& node = Current();
  if (!FindItemById(node, name)) return Return({});
  std::string id = NodePath(node) + name;
  return Return(id.size() <= kMaxNameLength ? id : std::string());
}

const char* OpcNameSpaceBrowser::NextItemID() {
  Guard lock(m_server.GetTagLock());
  GroupNode& node = Current();
  switch (m_mode) {
    case OPC_BRANCH:
      while (m_cursor < node.m_children.size()) {
        const std::string& name = node.m_children[m_cursor++]->m_name;
        if (name.size() <= kMaxNameLength && PassesPattern(name)) return Return(name);
      }
      break;
    case OPC_LEAF:
      while (m_cursor < node.m_items.size()) {
        const GroupItem& item = *node.m_items[m_cursor++];
        if (item.m_addressText.size() <= kMaxNameLength && Passes(item.m_addressText, item))
          return Return(item.m_addressText);
      }
      break;
    case OPC_FLAT:
      while (m_cursor < m_flatList.size()) {
        const std::string& id = m_flatList[m_cursor++];
        if (id.size() > kMaxNameLength) continue;
        // Items destroyed since the snapshot are skipped.
        if (const GroupItem* item = FindItemById(m_server.Root(), id); item && Passes(id, *item))
          return Return(id);
      }
      break;
    default:
      break;
  }
  return Return({});
}

void OpcNameSpaceBrowser::ResetEnumeration() {
  Guard lock(m_server.GetTagLock());
  if (m_mode != 0) m_cursor = 0;
}

bool OpcNameSpaceBrowser::PassesPattern(const std::string& name) const {
  return m_pattern.empty() || ToolkitMatchPattern(name.c_str(), m_pattern.c_str(), 0) != 0;
}

bool OpcNameSpaceBrowser::Passes(const std::string& name, const GroupItem& item) const {
  return PassesPattern(name) &&
         (m_accessRightsFilter == 0 || m_accessRightsFilter == item.m_accessRights) &&
         (m_dataTypeFilter == 0 || m_dataTypeFilter == item.m_nativeDataType);
}

const char* OpcNameSpaceBrowser::Return(const std::string& text) {
  // A longer text never reaches the buffer: callers refuse or skip it.
  m_buffer.assign(text, 0, kMaxNameLength);
  return m_buffer.c_str();
}
