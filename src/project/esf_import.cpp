// ESF import: the line loop with its three pieces of state, devices, links and the final tidy-up.
#include "project/esf_import.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/decimal_value.h"
#include "platform/prompt.h"
#include "project/device_list.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/esf_fields.h"
#include "project/esf_line_reader.h"
#include "project/esf_project_line.h"
#include "project/file_dialogs.h"
#include "project/file_text.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/listeners.h"
#include "project/progress_report.h"

namespace {

// Group names become item ID components, which are separated by ".".
std::string GroupName(std::string_view field) {
  std::string name(field);
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

// Reads the lines after the project line into the cleared document. The caller holds the
// device list lock and then the tag lock.
class EsfImporter {
 public:
  EsfImporter(CDORAzivazDoc& doc, EsfLineReader& reader, int language, ProgressReport* progress)
      : m_doc(doc),
        m_reader(reader),
        m_mainWord(doc.Words().mainGroup[language]),
        m_middleWord(doc.Words().middleGroup[language]),
        m_subWord(doc.Words().subGroup[language]),
        m_tableWord(doc.Words().objectTable[language]),
        m_progress(progress) {}

  // kImported at the end of the text, else the failure that stopped the reading.
  EsfImportResult ReadGroups() {
    std::string_view line;
    while (m_reader.ReadLine(line)) {
      const std::string_view first = EsfFieldFromLeft(line, 0);
      if (first == m_mainWord) {
        OpenMainGroup(line);
      } else if (first == m_middleWord) {
        if (!OpenMiddleGroup(line)) return EsfImportResult::kMiddleGroupFirst;
      } else if (first == m_subWord) {
        if (!OpenSubGroup(line)) return EsfImportResult::kSubGroupFirst;
      } else if (first == m_tableWord) {
        // Opens the objects of the group address just read; a repeated heading changes nothing.
        if (m_table == Table::kAwaited) m_table = Table::kOpen;
      } else if (m_table == Table::kOpen) {
        if (first.empty())
          m_table = Table::kNone;
        else
          ReadObjectLine(line);
      }
    }
    return EsfImportResult::kImported;
  }

 private:
  enum class Table { kNone, kAwaited, kOpen };

  void ReportProgress() {
    if (!m_progress || m_reader.Length() == 0) return;
    const auto percent = static_cast<int>(std::uint64_t{m_reader.Position()} * 100 /
                                          std::uint64_t{m_reader.Length()});
    if (percent == m_percent) return;
    m_percent = percent;
    m_progress->SetProgress(percent);
  }

  GroupNode& AddNode(GroupNode& parent, std::string_view field, std::int32_t number) {
    const std::string name = GroupName(field);
    GroupNode& node =
        parent.AppendChild(CreateGroupNode(MakeUniqueNodeName(name, parent), number, &m_doc));
    if (DocumentViews* views = m_doc.Views()) views->NodeAdded(node);
    return node;
  }

  void OpenMainGroup(std::string_view line) {
    ReportProgress();
    m_main =
        &AddNode(m_doc.Root(), EsfFieldFromLeft(line, 1), DecimalValue(EsfFieldFromLeft(line, 2)));
    m_parent = m_main;
    m_table = Table::kNone;
  }

  bool OpenMiddleGroup(std::string_view line) {
    ReportProgress();
    if (!m_main) return false;
    const std::string_view address = EsfFieldFromLeft(line, 2);
    const std::size_t slash = address.find('/');
    const std::int32_t number =
        DecimalValue(slash == std::string_view::npos ? address : address.substr(slash + 1));
    m_parent = &AddNode(*m_main, EsfFieldFromLeft(line, 1), number);
    m_table = Table::kNone;
    return true;
  }

  bool OpenSubGroup(std::string_view line) {
    ReportProgress();
    if (!m_parent) return false;
    m_subAddress = EsfFieldFromLeft(line, 2);
    m_subName = EsfFieldFromLeft(line, 1);
    m_item = nullptr;  // made by the first object line
    m_table = Table::kAwaited;
    return true;
  }

  void ReadObjectLine(std::string_view line) {
    AddDevice(EsfFieldFromLeft(line, 1));
    if (!m_item) {
      m_item = &m_parent->AppendItem(CreateGroupItem(
          m_subAddress, m_subName, EsfFieldFromRight(line, 1), kPriorityAlarm, *m_parent, &m_doc));
    }
    std::vector<std::string>& links = m_item->m_linkedAddresses;
    std::string_view words = EsfFieldFromRight(line, 0);
    while (!words.empty()) {
      const std::size_t blank = words.find(' ');
      const std::string_view word = words.substr(0, blank);
      words = blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
      if (word.empty() || word == m_item->m_addressText) continue;
      if (std::find(links.begin(), links.end(), word) == links.end()) links.emplace_back(word);
    }
  }

  // A valid address is kept once, in its zero-padded form, which the device file can hold;
  // a malformed one gets a record of its own each time, with the text as read.
  void AddDevice(std::string_view text) {
    DeviceList& devices = m_doc.Devices();
    const std::int32_t value = ParsePhysicalAddress(text);
    std::string addressText;
    if (value < 0) {
      addressText = text;
    } else {
      const auto address = static_cast<PhysicalAddress>(value);
      if (devices.IsPresent(address)) return;
      devices.MarkPresent(address);
      addressText = FormatPhysicalAddress(address);
    }
    devices.Add(
        std::make_unique<DeviceRecord>(std::move(addressText), &m_doc, &m_doc.DevicesNode()));
    ++m_doc.Counters().devices;
  }

  CDORAzivazDoc& m_doc;
  EsfLineReader& m_reader;
  std::string_view m_mainWord, m_middleWord, m_subWord, m_tableWord;
  ProgressReport* m_progress;
  int m_percent = -1;

  GroupNode* m_main = nullptr;    // the current main group
  GroupNode* m_parent = nullptr;  // where the next group address goes
  Table m_table = Table::kNone;
  std::string_view m_subAddress;  // the current group address's fields (views into the text)
  std::string_view m_subName;
  GroupItem* m_item = nullptr;  // its item, once an object line made it
};

bool IsEmptyGroup(const GroupNode& node) {
  return node.m_children.empty() && node.m_items.empty();
}

// Middle groups first, then main groups, so that a main group whose middle groups all went
// goes too.
void RemoveEmptyGroups(GroupNode& root, DocumentViews* views) {
  auto removeEmpty = [views](NodeMembers<GroupNode>& nodes) {
    nodes.EraseIf([views](const std::unique_ptr<GroupNode>& node) {
      if (!IsEmptyGroup(*node)) return false;
      if (views) views->NodeRemoving(*node);
      return true;
    });
  };
  for (const auto& main : root.m_children) removeEmpty(main->m_children);
  removeEmpty(root.m_children);
}

// Main groups, middle groups and group addresses from the tree; a main group's own items count
// only when it has no middle groups.
void RecountGroups(const GroupNode& root, ProjectCounters& counters) {
  counters.mainGroups = static_cast<std::int32_t>(root.m_children.size());
  counters.middleGroups = 0;
  counters.groupAddresses = 0;
  for (const auto& main : root.m_children) {
    counters.middleGroups += static_cast<std::int32_t>(main->m_children.size());
    if (main->m_children.empty())
      counters.groupAddresses += static_cast<std::int32_t>(main->m_items.size());
    for (const auto& middle : main->m_children)
      counters.groupAddresses += static_cast<std::int32_t>(middle->m_items.size());
  }
}

}  // namespace

EsfImportResult ImportEsfText(CDORAzivazDoc& doc, std::string_view text, ProgressReport* progress) {
  EsfLineReader reader(text);
  const std::optional<EsfProjectLine> project = FindEsfProjectLine(reader, doc.Words());
  if (!project) {
    doc.GetPrompt().Show(kStrNoProjectLine);
    return EsfImportResult::kNoProjectLine;
  }
  // Adding the export below a project that could not be cleared would mix the two.
  if (!doc.DeleteContents()) return EsfImportResult::kClearRefused;
  // The imported project is not the file that was open: saving it must ask for a name
  // instead of overwriting that file.
  doc.SetPathName({});
  doc.SetModifiedFlag();
  doc.SetEsfLanguage(project->language);

  if (progress) {
    progress->BeginProgress();
    progress->SetProgress(0);
  }
  DocumentViews* views = doc.Views();
  GroupNode& root = doc.Root();
  EsfImportResult result;
  {
    std::lock_guard deviceLock(doc.DeviceListLock());
    std::lock_guard tagLock(doc.TagLock());
    doc.Devices().ClearPresence();
    root.SetName(project->name.empty() ? std::string("Project") : std::string(project->name));
    if (views) views->RefreshRootName(root);

    EsfImporter importer(doc, reader, project->language, progress);
    result = importer.ReadGroups();
    if (result == EsfImportResult::kImported) {
      BuildListeners(root);
      if (views) views->ShowNodeContent(root);
      RemoveEmptyGroups(root, views);
      RecountGroups(root, doc.Counters());
      if (views) views->ExpandRoot();
    }
  }
  if (result == EsfImportResult::kMiddleGroupFirst)
    doc.GetPrompt().Show(kStrMiddleGroupFirst);
  else if (result == EsfImportResult::kSubGroupFirst)
    doc.GetPrompt().Show(kStrSubGroupFirst);
  if (result != EsfImportResult::kImported) doc.DeleteContents();
  if (progress) progress->EndProgress();
  return result;
}

EsfImportResult ImportEsfFile(CDORAzivazDoc& doc, const std::string& path,
                              ProgressReport* progress) {
  const std::optional<std::string> text = ReadFileText(path);
  if (!text) return EsfImportResult::kNotOpened;
  return ImportEsfText(doc, *text, progress);
}

void OnImportEsf(CDORAzivazDoc& doc) {
  if (!doc.SaveModified()) return;
  FileDialogs* dialogs = doc.Dialogs();
  if (!dialogs) return;
  FileDialogRequest request;
  request.title = doc.String(kStrEsfImportTitle);
  request.filter = doc.String(kStrEsfFilter);
  request.mustExist = true;
  const std::optional<std::string> path = dialogs->OpenFile(request);
  if (!path) return;
  ImportEsfFile(doc, *path, doc.Views());
}
