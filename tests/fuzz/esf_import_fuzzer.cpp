// Fuzzes the ESF import with arbitrary exports and checks what it built.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/headless_document.h"
#include "project/esf_import.h"
#include "project/group_node.h"
#include "project/project_file.h"

namespace {

// One document for the whole run (never destroyed: the run ends by exit()).
CDORAzivazDoc& Document() {
  static SilentPrompt* prompt = new SilentPrompt;
  static HeadlessDocument* headless = new HeadlessDocument(*prompt);
  return headless->Doc();
}

// No group is left empty; no item links to itself or twice to the same address.
void CheckTree(const GroupNode& node) {
  for (const auto& child : node.m_children) {
    if (child->m_children.empty() && child->m_items.empty()) __builtin_trap();
    CheckTree(*child);
  }
  for (const auto& item : node.m_items) {
    const auto& links = item->m_linkedAddresses;
    for (auto link = links.begin(); link != links.end(); ++link) {
      if (link->empty() || *link == item->m_addressText) __builtin_trap();
      if (std::find(links.begin(), link, *link) != link) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CDORAzivazDoc& doc = Document();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ImportEsfText(doc, text, nullptr) != EsfImportResult::kImported) return 0;
  CheckTree(doc.Root());
  // What was imported can be written.
  ProjectFileText(doc.Root());
  DeviceFileText(doc.Devices());
  return 0;
}
