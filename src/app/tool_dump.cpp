// zelvox-tool dump: a project's tree, devices and counters, one TAB-separated record a line.
#include <string>

#include "app/tool_command.h"
#include "app/tool_document.h"
#include "platform/code_page.h"
#include "project/group_node.h"
#include "project/item_id.h"

namespace {

// Records are joined from Windows-1252 fields and printed as UTF-8.
class DumpWriter {
 public:
  explicit DumpWriter(std::ostream& out) : m_out(out) {}

  void Record(std::initializer_list<std::string_view> fields) {
    m_line.clear();
    for (const std::string_view field : fields) {
      if (!m_line.empty()) m_line.push_back('\t');
      m_line += field;
    }
    m_out << AnsiToUtf8(m_line) << '\n';
  }

  // Depth first: a node's items, then its child nodes. Nodes other than the root get a
  // record of their own before their contents; the special items are left out.
  void Tree(const GroupNode& node) {
    if (node.m_parent) {
      std::string path = NodePath(node);
      path.pop_back();  // the trailing "."
      Record({"node", path, std::to_string(node.m_number)});
    }
    for (const auto& item : node.m_items) {
      if (item->m_eis < 0) continue;
      Record({"item", item->m_itemId, item->m_name, item->m_typeName,
              std::to_string(item->m_priority), item->m_initialRead ? "1" : "0",
              Joined(item->m_linkedAddresses), Joined(item->m_listeners)});
    }
    for (const auto& child : node.m_children) Tree(*child);
  }

 private:
  static std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
      if (!text.empty()) text.push_back(' ');
      text += word;
    }
    return text;
  }

  std::ostream& m_out;
  std::string m_line;
};

}  // namespace

int RunDump(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "zelvox-tool: dump takes one project file\n";
    return kToolUsage;
  }
  ToolDocument tool(err);
  // File names stay the bytes the system gave us.
  if (!tool.Open(std::string(args[0]))) return kToolFailed;

  CDORAzivazDoc& doc = tool.Doc();
  DumpWriter writer(out);
  writer.Record({"project", doc.Root().m_name});
  writer.Tree(doc.Root());
  for (std::size_t i = 0; i < doc.Devices().Size(); ++i)
    writer.Record({"device", doc.Devices().At(i).addressText});
  const ProjectCounters& c = doc.Counters();
  writer.Record({"counters", std::to_string(c.mainGroups), std::to_string(c.middleGroups),
                 std::to_string(c.groupAddresses), std::to_string(c.devices)});
  return kToolOk;
}
