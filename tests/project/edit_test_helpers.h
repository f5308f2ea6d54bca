// Helpers of the editing tests: the demo project loaded into a document, and a dump of the
// whole group table (everything an edit may change) for exact comparisons.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "document_fixture.h"
#include "project/esf_import.h"
#include "project/group_lookup.h"
#include "project/group_node.h"

inline std::string DemoEsfPath() {
  return std::string(ZELVOX_TEST_DATA) + "/../../resources/demo/demo.esf";
}

inline void DumpNode(std::ostringstream& out, const GroupNode& node, int depth) {
  out << std::string(depth * 2, ' ') << "[" << node.m_name << "] " << node.m_number
      << (node.m_untypedMark ? " untyped" : "") << "\n";
  for (const auto& item : node.m_items) {
    out << std::string(depth * 2 + 2, ' ') << item->m_itemId << "|" << item->m_addressText << "|"
        << item->m_subNumber << "|" << item->m_name << "|" << item->m_typeName << "|" << item->m_eis
        << "/" << item->m_subtype << "|" << item->m_priority << "|" << item->m_initialRead << "|"
        << item->m_untypedMark << "|" << item->m_quality << "|" << item->m_value.vt() << "| links";
    for (const auto& l : item->m_linkedAddresses) out << " " << l;
    out << " | listeners";
    for (const auto& l : item->m_listeners) out << " " << l;
    out << "\n";
  }
  for (const auto& child : node.m_children) DumpNode(out, *child, depth + 1);
}

// The table with the counters.
inline std::string DumpProject(CDORAzivazDoc& doc) {
  std::ostringstream out;
  DumpNode(out, doc.Root(), 0);
  const ProjectCounters& c = doc.Counters();
  out << "counters " << c.mainGroups << " " << c.middleGroups << " " << c.groupAddresses << " "
      << c.devices << "\n";
  return out.str();
}

inline GroupNode* ChildNamed(GroupNode& parent, std::string_view name) {
  for (auto& child : parent.m_children)
    if (child->m_name == name) return child.get();
  return nullptr;
}

class EditTest : public DocumentTest {
 protected:
  // The demo project, questions answered with Yes, the modified flag clear.
  CDORAzivazDoc& DemoDoc() {
    CDORAzivazDoc& d = MakeDoc();
    EXPECT_EQ(ImportEsfFile(d, DemoEsfPath(), nullptr), EsfImportResult::kImported);
    prompt.answer = PromptAnswer::Yes;
    prompt.records.clear();
    d.SetModifiedFlag(false);
    return d;
  }
  GroupItem& Item(std::string_view address) {
    GroupItem* item = FindItemByAddress(doc->Root(), address);
    EXPECT_NE(item, nullptr) << address;
    return *item;
  }
  GroupNode& Group(std::string_view mainName, std::string_view middleName = {}) {
    GroupNode* node = ChildNamed(doc->Root(), mainName);
    if (node && !middleName.empty()) node = ChildNamed(*node, middleName);
    EXPECT_NE(node, nullptr) << mainName << "." << middleName;
    return *node;
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> ids;
    for (const auto& r : prompt.records) ids.push_back(r.id);
    return ids;
  }
};
