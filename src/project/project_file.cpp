// Project file: storing and loading the project file and the device file.
#include "project/project_file.h"

#include <filesystem>
#include <optional>

#include "knx/physical_address.h"
#include "platform/decimal_value.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/atomic_file.h"
#include "project/device_list.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/file_text.h"
#include "project/group_address.h"
#include "project/group_node.h"
#include "project/listeners.h"

namespace {

constexpr std::string_view kPriorityWords[] = {"System", "High", "Alarm", "Low"};

// Appends `field`, with TAB, CR and LF turned into blanks.
void AppendField(std::string& out, std::string_view field) {
  for (const char c : field) out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
}

void AppendItemLines(std::string& out, const GroupNode& node) {
  for (const auto& item : node.m_items) {
    if (item->m_eis < 0) continue;  // "Failed Devices", "Check Device"
    AppendField(out, item->m_itemId);
    out.push_back('\t');
    AppendField(out, item->m_name);
    out.push_back('\t');
    AppendField(out, item->m_typeName);
    out.push_back('\t');
    const bool known = item->m_priority >= 0 && item->m_priority <= 3;
    out += kPriorityWords[known ? item->m_priority : kPriorityAlarm];
    out.push_back('\t');
    out += item->m_initialRead ? "Init" : "NoInit";
    out.push_back('\t');
    for (std::size_t i = 0; i < item->m_linkedAddresses.size(); ++i) {
      if (i) out.push_back(' ');
      AppendField(out, item->m_linkedAddresses[i]);
    }
    out += "\r\n";
  }
  for (const auto& child : node.m_children) AppendItemLines(out, *child);
}

// Splits a file's text into lines; a line ends at LF, and a CR before it is dropped.
class LineSplitter {
 public:
  explicit LineSplitter(std::string_view text) : m_rest(text) {}
  bool Next(std::string_view& line) {
    if (m_rest.empty()) return false;
    const auto end = m_rest.find('\n');
    line = m_rest.substr(0, end);
    m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view m_rest;
};

// Cuts `text` at the first `c`: returns the part before it and leaves the part after it in
// `text`. None, and `text` unchanged, when there is no `c`.
std::optional<std::string_view> TakeUntil(std::string_view& text, char c) {
  const auto at = text.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view head = text.substr(0, at);
  text.remove_prefix(at + 1);
  return head;
}

}  // namespace

std::string DeviceFilePath(std::string_view projectPath) {
  const auto slash = projectPath.rfind('/');
  const auto dot = projectPath.rfind('.');
  const bool hasExtension =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  std::string path(hasExtension ? projectPath.substr(0, dot) : projectPath);
  return path + ".phd";
}

std::string ProjectFileText(const GroupNode& root) {
  std::string out;
  AppendField(out, root.m_name);
  out += "\r\n";
  AppendItemLines(out, root);
  return out;
}

std::string DeviceFileText(const DeviceList& devices, std::vector<std::string>* leftOut) {
  std::string out;
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    // Only the zero-padded form loads back. Any other text (a malformed address kept from an
    // ESF export) would be skipped on loading or, worse, stop it and lose every device after
    // it, so it is not written.
    const std::string& text = devices.At(i).addressText;
    const std::int32_t value = ParsePhysicalAddress(text);
    if (value < 0 || FormatPhysicalAddress(static_cast<PhysicalAddress>(value)) != text) {
      if (leftOut != nullptr) leftOut->push_back(text);
      continue;
    }
    AppendField(out, text);
    out += "\r\n";
  }
  return out;
}

void InsertLinkAscending(std::vector<std::string>& links, std::string_view address) {
  const GroupAddress value = ParseGroupAddress(address);
  auto at = links.begin();
  while (at != links.end() && ParseGroupAddress(*at) <= value) ++at;
  links.emplace(at, address);
}

namespace {

void RecordStartFile(SettingsStore& settings, const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  settings.SetText(kParameterKey, "Startfile", error ? path : absolute.string());
}

}  // namespace

bool CDORAzivazDoc::StoreProject(const std::string& path) {
  std::string projectText;
  {
    std::lock_guard tagLock(TagLock());
    projectText = ProjectFileText(Root());
  }
  std::string deviceText;
  std::vector<std::string> leftOut;
  {
    std::lock_guard deviceLock(m_devices.Lock());
    deviceText = DeviceFileText(m_devices, &leftOut);
  }

  // Both files are written in full before either replaces its old version.
  AtomicFile project(path);
  if (!project.Stage(projectText)) return false;
  AtomicFile devices(DeviceFilePath(path));
  const bool devicesStaged = devices.Stage(deviceText);
  if (!project.Commit()) return false;
  RecordStartFile(m_services.settings, path);
  if (!devicesStaged || !devices.Commit()) {
    m_services.prompt.Show(kStrDeviceFileNotSaved);
  } else if (!leftOut.empty()) {
    // The user learns which devices the saved project no longer holds.
    std::string lines;
    for (const std::string& text : leftOut) lines += (lines.empty() ? "" : "\n") + text;
    m_services.prompt.Show(kStrDevicesLeftOut, lines, PromptKind::Warning);
  }
  return true;
}

namespace {

// Reads the item lines into the cleared tree below `root`. Stops at the first malformed line;
// what was read before stays.
class ItemLineReader {
 public:
  ItemLineReader(CDORAzivazDoc& doc, GroupNode& root) : m_doc(doc), m_root(root) {}

  // False when the line was malformed; Error() then holds the insert of message 146.
  bool Read(std::string_view line) {
    if (ReadLine(line)) return true;
    m_error = std::string(line.substr(0, 40)) + "...";
    return false;
  }
  const std::optional<std::string>& Error() const { return m_error; }

 private:
  bool ReadLine(std::string_view line) {
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    const std::string_view id = line.substr(0, tab);
    const auto lastDot = id.rfind('.');
    if (lastDot == std::string_view::npos) return false;
    const std::string_view address = id.substr(lastDot + 1);
    const auto slash = address.find('/');
    if (slash == std::string_view::npos) return false;
    const std::int32_t main = DecimalValue(address.substr(0, slash));
    const std::string_view afterMain = address.substr(slash + 1);
    const auto secondSlash = afterMain.find('/');
    const bool hasMiddle = !afterMain.empty() && secondSlash != std::string_view::npos;
    const std::int32_t middle = hasMiddle ? DecimalValue(afterMain.substr(0, secondSlash)) : 0;

    std::string_view rest = line;
    const std::string_view mainName = *TakeUntil(rest, '.');  // the ID has a "."
    if (!m_main || main != m_mainNumber) {
      m_main = &AddNode(m_root, mainName, main);
      ++m_doc.Counters().mainGroups;
      m_mainNumber = main;
      m_parent = m_main;
      m_middle = nullptr;
    }
    if (hasMiddle) {
      const auto stop = rest.find_first_of(".\t");
      if (stop == std::string_view::npos || rest[stop] == '\t') return false;
      const std::string_view middleName = rest.substr(0, stop);
      rest.remove_prefix(stop + 1);
      if (!m_middle || middle != m_middleNumber) {
        m_middle = &AddNode(*m_main, middleName, middle);
        ++m_doc.Counters().middleGroups;
        m_middleNumber = middle;
        m_parent = m_middle;
      }
    }

    const auto addressText = TakeUntil(rest, '\t');
    if (!addressText || rest.empty()) return false;
    const auto name = TakeUntil(rest, '\t');
    if (!name) return false;
    const auto typeName = TakeUntil(rest, '\t');
    if (!typeName) return false;
    const auto priorityWord = TakeUntil(rest, '\t');
    std::int32_t priority = kPriorityAlarm;  // "Alarm", "System" and anything unknown
    const std::string_view word = priorityWord ? *priorityWord : rest;
    if (word == "High") priority = kPriorityHigh;
    if (word == "Low") priority = kPriorityLow;
    if (!priorityWord) rest = {};

    auto item = CreateGroupItem(*addressText, *name, *typeName, priority, *m_parent, &m_doc);
    if (const auto init = TakeUntil(rest, '\t')) item->m_initialRead = *init == "Init" ? 1 : 0;
    while (!rest.empty()) {
      const auto blank = rest.find(' ');
      const std::string_view link = rest.substr(0, blank);
      rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
      if (link.find('/') != std::string_view::npos)
        InsertLinkAscending(item->m_linkedAddresses, link);
    }
    m_parent->AppendItem(std::move(item));
    // Counted once the item exists: a malformed line adds no address.
    ++m_doc.Counters().groupAddresses;
    return true;
  }

  GroupNode& AddNode(GroupNode& parent, std::string_view name, std::int32_t number) {
    GroupNode& node =
        parent.AppendChild(CreateGroupNode(MakeUniqueNodeName(name, parent), number, &m_doc));
    if (DocumentViews* views = m_doc.Views()) views->NodeAdded(node);
    return node;
  }

  CDORAzivazDoc& m_doc;
  GroupNode& m_root;
  GroupNode* m_main = nullptr;
  std::int32_t m_mainNumber = 0;
  GroupNode* m_middle = nullptr;
  std::int32_t m_middleNumber = 0;
  GroupNode* m_parent = nullptr;
  std::optional<std::string> m_error;
};

}  // namespace

bool CDORAzivazDoc::LoadProject(const std::string& path) {
  const std::optional<std::string> text = ReadFileText(path);
  if (!text) return false;
  LoadProjectText(path, *text);
  return true;
}

void CDORAzivazDoc::LoadProjectText(const std::string& path, const std::string& text) {
  LineSplitter lines(text);
  std::string_view line;
  lines.Next(line);
  const std::string_view name = line.substr(0, line.find('\t'));
  GroupNode& root = Root();
  DocumentViews* views = m_services.views;
  // Messages wait until the locks are released: a message box must not keep clients and
  // the device check waiting.
  std::optional<std::string> badLine;
  {
    std::lock_guard tagLock(TagLock());
    root.SetName(name.empty() ? std::string("Project") : std::string(name));
    if (views) views->RefreshRootName(root);
    ItemLineReader reader(*this, root);
    while (lines.Next(line) && reader.Read(line)) {
    }
    badLine = reader.Error();
    BuildListeners(root);
  }
  if (badLine) m_services.prompt.Show(kStrBadProjectLine, *badLine);
  if (views) {
    views->ShowNodeContent(root);
    views->ExpandRoot();
  }

  const std::string devicePath = DeviceFilePath(path);
  const std::optional<std::string> deviceText = ReadFileText(devicePath);
  if (!deviceText) {
    m_services.prompt.Show(kStrNoDeviceFile, devicePath);
  } else {
    std::optional<std::string> badDeviceLine;
    std::unique_lock deviceLock(m_devices.Lock());
    m_devices.ClearPresence();
    LineSplitter deviceLines(*deviceText);
    while (deviceLines.Next(line)) {
      const std::int32_t value = ParsePhysicalAddress(line, AddressPartRule::AtoiShort);
      if (value < 0 && value != kPhysicalAddressNegativePart) {
        badDeviceLine = line;
        break;
      }
      // Only the zero-padded form is a device; it holds no minus sign.
      if (value < 0) continue;
      const auto address = static_cast<PhysicalAddress>(value);
      if (line != FormatPhysicalAddress(address)) continue;
      if (m_devices.IsPresent(address)) continue;
      m_devices.Add(std::make_unique<DeviceRecord>(std::string(line), this, &DevicesNode()));
      ++m_counters.devices;
      m_devices.MarkPresent(address);
    }
    deviceLock.unlock();
    if (badDeviceLine) m_services.prompt.Show(kStrBadDeviceLine, *badDeviceLine);
  }

  if (m_settings.initRead) ReadFlaggedItems();
  RecordStartFile(m_services.settings, path);
}
