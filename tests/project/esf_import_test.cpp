// Tests of the ESF import and the ETS4 conversion on the sample exports in tests/data/esf.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "document_fixture.h"
#include "platform/code_page.h"
#include "project/esf_import.h"
#include "project/ets4_conversion.h"
#include "project/file_dialogs.h"
#include "project/file_text.h"
#include "project/group_item.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "project/project_file.h"

namespace {

std::string Sample(const std::string& name) {
  return std::string(ZELVOX_TEST_DATA) + "/esf/" + name;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// The tree below `node` as lines: "node NAME NUMBER" and "ID|NAME|TYPE|PRIORITY|LINKS|LISTENERS",
// depth first, the special items left out; names in UTF-8.
void Outline(const GroupNode& node, std::string& out) {
  for (const auto& item : node.m_items) {
    if (item->m_eis < 0) continue;
    out += AnsiToUtf8(item->m_itemId + "|" + item->m_name + "|" + item->m_typeName + "|" +
                      std::to_string(item->m_priority) + "|" + Joined(item->m_linkedAddresses) +
                      "|" + Joined(item->m_listeners)) +
           "\n";
  }
  for (const auto& child : node.m_children) {
    out += "node " + AnsiToUtf8(child->m_name) + " " + std::to_string(child->m_number) + "\n";
    Outline(*child, out);
  }
}

std::string Outline(const GroupNode& root) {
  std::string out;
  Outline(root, out);
  return out;
}

std::string Devices(DeviceList& devices) {
  std::string out;
  for (std::size_t i = 0; i < devices.Size(); ++i) out += devices.At(i).addressText + "\n";
  return out;
}

class RecordingProgress : public ProgressReport {
 public:
  void BeginProgress() override { events.push_back(-1); }
  void SetProgress(int percent) override { events.push_back(percent); }
  void EndProgress() override { events.push_back(-2); }
  std::vector<int> events;
};

class FakeFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return path;
  }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::vector<FileDialogRequest> requests;
  std::optional<std::string> path;
};

class EsfImportTest : public DocumentTest {
 protected:
  CDORAzivazDoc& Doc() {
    if (!doc) MakeDoc();
    return *doc;
  }
  EsfImportResult Import(const std::string& sample) {
    return ImportEsfFile(Doc(), Sample(sample), &progress);
  }
  std::vector<unsigned> PromptIds() const {
    std::vector<unsigned> ids;
    for (const auto& record : prompt.records) ids.push_back(record.id);
    return ids;
  }
  void ExpectEmptyProject() {
    EXPECT_EQ(Doc().Root().m_name, "Project");
    EXPECT_TRUE(Doc().Root().m_children.empty());
    EXPECT_EQ(Doc().Root().m_items.size(), 2u);  // the special items
    EXPECT_EQ(Doc().Devices().Size(), 0u);
    const ProjectCounters& c = Doc().Counters();
    EXPECT_EQ(c.mainGroups + c.middleGroups + c.groupAddresses + c.devices, 0);
  }

  RecordingProgress progress;
};

struct LanguageSample {
  const char* file;
  int language;
  const char* project;  // UTF-8
  const char* floor;
  const char* lights;
};

}  // namespace

TEST_F(EsfImportTest, ReadsAllNineLanguages) {
  const LanguageSample samples[] = {
      {"lang_de.esf", 0, "Haus Müller", "Erdgeschoß", "Licht"},
      {"lang_en.esf", 1, "Miller House", "Ground floor", "Lights"},
      {"lang_es.esf", 2, "Casa García", "Planta baja", "Iluminación"},
      {"lang_fr.esf", 3, "Maison Lefèvre", "Rez-de-chaussée", "Éclairage"},
      {"lang_it.esf", 4, "Casa Città", "Pianterreno", "Luci"},
      {"lang_nl.esf", 5, "Huis Jansen", "Begane grond", "Verlichting"},
      {"lang_no.esf", 6, "Hus Sørensen", "Første etasje", "Lys"},
      {"lang_pt.esf", 7, "Casa Conceição", "Rés-do-chão", "Iluminação"},
      {"lang_sv.esf", 8, "Hus Åström", "Bottenvåning", "Belysning"},
  };
  for (const LanguageSample& sample : samples) {
    SCOPED_TRACE(sample.file);
    ASSERT_EQ(Import(sample.file), EsfImportResult::kImported);
    EXPECT_TRUE(prompt.records.empty());
    EXPECT_EQ(Doc().EsfLanguage(), sample.language);
    EXPECT_EQ(Doc().Root().m_name, Utf8ToAnsi(sample.project));
    const std::string floor = sample.floor, lights = sample.lights;
    const std::string prefix = floor + "." + lights + ".";
    const std::string outline = Outline(Doc().Root());
    // Names of the items differ by language: compare everything but them.
    std::string expected = "node " + floor + " 1\nnode " + lights + " 1\n";
    EXPECT_EQ(outline.substr(0, expected.size()), expected);
    const GroupNode& lightsNode = *Doc().Root().m_children.at(0)->m_children.at(0);
    ASSERT_EQ(lightsNode.m_items.size(), 2u);
    const GroupItem& kitchen = *lightsNode.m_items[0];
    EXPECT_EQ(kitchen.m_itemId, Utf8ToAnsi(prefix + "1/1/1"));
    EXPECT_EQ(kitchen.m_typeName, "EIS 1 'Switching' (1 Bit)");
    EXPECT_EQ(kitchen.m_priority, kPriorityAlarm);
    EXPECT_EQ(Joined(kitchen.m_linkedAddresses), "1/1/2");
    EXPECT_EQ(Joined(kitchen.m_listeners), "1/1/2 2/1");
    EXPECT_EQ(Joined(lightsNode.m_items[1]->m_linkedAddresses), "1/1/1");
    const GroupNode& central = *Doc().Root().m_children.at(1);
    EXPECT_EQ(central.m_number, 2);
    ASSERT_EQ(central.m_items.size(), 1u);
    EXPECT_EQ(central.m_items[0]->m_addressText, "2/1");
    EXPECT_EQ(Devices(Doc().Devices()), "01.01.001\n01.01.002\n01.01.003\n");
    const ProjectCounters& c = Doc().Counters();
    EXPECT_EQ(std::vector<int>({c.mainGroups, c.middleGroups, c.groupAddresses, c.devices}),
              std::vector<int>({2, 1, 3, 3}));
    EXPECT_TRUE(Doc().IsModified());
  }
}

TEST_F(EsfImportTest, BuildsGroupsItemsLinksAndDevices) {
  ASSERT_EQ(Import("features_de.esf"), EsfImportResult::kImported);
  EXPECT_TRUE(prompt.records.empty());
  EXPECT_EQ(Doc().Root().m_name, "Feature.Haus");
  // Dots in group names become "_", repeated names get a number, empty groups go, a line cut
  // after 1023 characters loses its rest (no "Geist" group, no link 9/9/9), objects after a
  // line with an empty first field and outside an object table are not read.
  EXPECT_EQ(Outline(Doc().Root()),
            "node 1_OG 1\n"
            "node Licht 1\n"
            "1_OG.Licht.1/1/1|Decke|EIS 1 'Switching' (1 Bit)|2|1/1/2 1/2/1|2/1\n"
            "1_OG.Licht.1/1/2|Wand.links|EIS 6 'Scaling - percent' (8 Bit)|2||1/1/1\n"
            "node Licht(1) 2\n"
            "1_OG.Licht(1).1/2/1|Flur|Unknown|2||1/1/1 2/1\n"
            "node Zentral 2\n"
            "Zentral.2/1|Alles aus|EIS 1 'Switching' (1 Bit)|2|1/1/1 1/2/1|\n"
            "Zentral.2/2|Szene|EIS 14 '8Bit Counter' (8 Bit)|2||\n"
            "node 1_OG(1) 4\n"
            "node Heizung 0\n"
            "1_OG(1).Heizung.4/0/1|Temperatur|EIS 5 'Value' (2 Byte)|2||\n");
  // A valid address once, zero-padded; a malformed one each time, as read.
  EXPECT_EQ(Devices(Doc().Devices()),
            "01.01.005\n01.01.006\n1.5\n1.5\n01.01.007\n16.1.5\n01.01.009\n15.15.255\n");
  const ProjectCounters& c = Doc().Counters();
  EXPECT_EQ(std::vector<int>({c.mainGroups, c.middleGroups, c.groupAddresses, c.devices}),
            std::vector<int>({3, 3, 6, 8}));
  // The untyped item marks its groups and the root.
  EXPECT_TRUE(Doc().Root().m_untypedMark);
  EXPECT_TRUE(Doc().Root().m_children[0]->m_children[1]->m_untypedMark);
  EXPECT_FALSE(Doc().Root().m_children[1]->m_untypedMark);

  // Progress from 0 up to at most 100, between begin and end.
  ASSERT_GE(progress.events.size(), 3u);
  EXPECT_EQ(progress.events.front(), -1);
  EXPECT_EQ(progress.events[1], 0);
  EXPECT_EQ(progress.events.back(), -2);
  for (std::size_t i = 2; i + 1 < progress.events.size(); ++i) {
    EXPECT_GT(progress.events[i], progress.events[i - 1]);
    EXPECT_LE(progress.events[i], 100);
  }
}

TEST_F(EsfImportTest, GroupNamesAreUniqueWithoutRegardToCaseAndNeverEmpty) {
  const std::string table =
      "No.;Phys. address;Device;Object;EIS type;Group addresses\r\n"
      "1;1.1.1;Actuator;Switch;EIS 1 'Switching' (1 Bit);";
  WriteFile("names.esf",
            "ETS export;en\r\n\r\nProject name:;Names\r\n"
            "Maingroup:;Licht;1\r\n"
            "Middlegroup:;;1/1\r\nSubgroup:;A;1/1/1\r\n" +
                table +
                "1/1/1\r\n"
                "Middlegroup:;;1/2\r\nSubgroup:;B;1/2/1\r\n" +
                table +
                "1/2/1\r\n"
                "Middlegroup:;Flur;1/3\r\nSubgroup:;C;1/3/1\r\n" +
                table +
                "1/3/1\r\n"
                "Maingroup:;licht;2\r\nSubgroup:;D;2/1\r\n" +
                table +
                "2/1\r\n"
                "Maingroup:;Zentral;3\r\nSubgroup:;E;3/1\r\n" +
                table + "3/1\r\n");
  ASSERT_EQ(ImportEsfFile(Doc(), Path("names.esf"), &progress), EsfImportResult::kImported);
  EXPECT_EQ(Outline(Doc().Root()),
            "node Licht 1\n"
            "node (1) 1\n"
            "Licht.(1).1/1/1|A|EIS 1 'Switching' (1 Bit)|2||\n"
            "node (2) 2\n"
            "Licht.(2).1/2/1|B|EIS 1 'Switching' (1 Bit)|2||\n"
            "node Flur 3\n"
            "Licht.Flur.1/3/1|C|EIS 1 'Switching' (1 Bit)|2||\n"
            "node licht(1) 2\n"
            "licht(1).2/1|D|EIS 1 'Switching' (1 Bit)|2||\n"
            "node Zentral 3\n"
            "Zentral.3/1|E|EIS 1 'Switching' (1 Bit)|2||\n");
  // Every item is reached by its own ID (lookups ignore case).
  std::vector<std::string> ids;
  std::function<void(GroupNode&)> walk = [&](GroupNode& node) {
    for (auto& item : node.m_items)
      if (item->m_eis >= 0) ids.push_back(item->m_itemId);
    for (auto& child : node.m_children) walk(*child);
  };
  walk(Doc().Root());
  ASSERT_EQ(ids.size(), 5u);
  for (const std::string& id : ids) {
    const GroupItem* found = FindItemById(Doc().Root(), id);
    ASSERT_NE(found, nullptr) << id;
    EXPECT_EQ(found->m_itemId, id);
  }

  // The names come back from the project file as they were made.
  const std::string imported = Outline(Doc().Root());
  ASSERT_TRUE(Doc().OnSaveDocument(Path("names.zlv")));
  ASSERT_TRUE(Doc().OnOpenDocument(Path("names.zlv")));
  EXPECT_EQ(Outline(Doc().Root()), imported);
}

TEST_F(EsfImportTest, FailuresShowTheirMessageAndKeepOrClearTheProject) {
  ASSERT_EQ(Import("lang_en.esf"), EsfImportResult::kImported);
  const std::string before = Outline(Doc().Root());
  Doc().SetModifiedFlag(false);

  // No project line, or no readable file: the project stays.
  EXPECT_EQ(Import("no_project_line.esf"), EsfImportResult::kNoProjectLine);
  EXPECT_EQ(PromptIds(), std::vector<unsigned>({kStrNoProjectLine}));
  EXPECT_EQ(Import("does_not_exist.esf"), EsfImportResult::kNotOpened);
  EXPECT_EQ(ImportEsfFile(Doc(), std::string(ZELVOX_TEST_DATA), nullptr),
            EsfImportResult::kNotOpened);
  EXPECT_EQ(PromptIds().size(), 1u);
  EXPECT_EQ(Outline(Doc().Root()), before);
  EXPECT_EQ(Doc().Devices().Size(), 3u);
  EXPECT_EQ(Doc().Counters().groupAddresses, 3);
  EXPECT_FALSE(Doc().IsModified());

  // A middle group or a group address before the first main group: the project is cleared.
  prompt.records.clear();
  progress.events.clear();
  EXPECT_EQ(Import("middle_group_first.esf"), EsfImportResult::kMiddleGroupFirst);
  EXPECT_EQ(PromptIds(), std::vector<unsigned>({kStrMiddleGroupFirst}));
  ExpectEmptyProject();
  EXPECT_EQ(progress.events.back(), -2);

  ASSERT_EQ(Import("lang_en.esf"), EsfImportResult::kImported);
  prompt.records.clear();
  EXPECT_EQ(Import("sub_group_first.esf"), EsfImportResult::kSubGroupFirst);
  EXPECT_EQ(PromptIds(), std::vector<unsigned>({kStrSubGroupFirst}));
  ExpectEmptyProject();
}

TEST_F(EsfImportTest, ClientHoldingAnItemStopsTheImportBeforeAnythingChanges) {
  ASSERT_EQ(Import("lang_en.esf"), EsfImportResult::kImported);
  const std::string before = Outline(Doc().Root());
  GroupItem& held = *Doc().Root().m_children[1]->m_items[0];
  held.AddRef();

  EXPECT_EQ(Import("features_de.esf"), EsfImportResult::kClearRefused);
  EXPECT_EQ(PromptIds(), std::vector<unsigned>({kStrClientsHoldItems}));
  EXPECT_EQ(Outline(Doc().Root()), before);
  EXPECT_EQ(Doc().Root().m_name, "Miller House");
  EXPECT_EQ(Devices(Doc().Devices()), "01.01.001\n01.01.002\n01.01.003\n");
  EXPECT_EQ(Doc().Counters().mainGroups, 2);
  EXPECT_EQ(Doc().EsfLanguage(), 1);

  held.Release();
  EXPECT_EQ(Import("features_de.esf"), EsfImportResult::kImported);
  EXPECT_EQ(Doc().EsfLanguage(), 0);
}

TEST_F(EsfImportTest, SavedImportLoadsBackWithItsDevices) {
  ASSERT_EQ(Import("lang_fr.esf"), EsfImportResult::kImported);
  const std::string imported = Outline(Doc().Root());
  const std::string projectPath = Path("maison.zlv");
  ASSERT_TRUE(Doc().StoreProject(projectPath));
  ASSERT_TRUE(Doc().DeleteContents());
  ASSERT_TRUE(Doc().LoadProject(projectPath));
  EXPECT_TRUE(prompt.records.empty());
  EXPECT_EQ(Outline(Doc().Root()), imported);
  EXPECT_EQ(Devices(Doc().Devices()), "01.01.001\n01.01.002\n01.01.003\n");

  // Importing again must not leave the loaded file as the target of the next save.
  ASSERT_TRUE(Doc().OnOpenDocument(projectPath));
  ASSERT_EQ(Doc().PathName(), projectPath);
  ASSERT_EQ(Import("lang_en.esf"), EsfImportResult::kImported);
  EXPECT_EQ(Doc().PathName(), "");
}

TEST_F(EsfImportTest, ImportCommandAsksToSaveThenForTheFile) {
  FakeFileDialogs dialogs;
  CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
  services.views = &views;
  services.fileDialogs = &dialogs;
  services.strings = [](unsigned id) { return "string " + std::to_string(id); };
  doc = std::make_unique<CDORAzivazDoc>(services);

  // Cancelling the save prompt of a modified project stops before the file dialog.
  doc->SetModifiedFlag();
  prompt.answer = PromptAnswer::Cancel;
  EXPECT_TRUE(doc->OnCommand(kCmdImportEsf));
  EXPECT_TRUE(dialogs.requests.empty());

  doc->SetModifiedFlag(false);
  dialogs.path = Sample("lang_nl.esf");
  EXPECT_TRUE(doc->OnCommand(kCmdImportEsf));
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "string 187");
  EXPECT_EQ(dialogs.requests[0].filter, "string 172");
  EXPECT_TRUE(dialogs.requests[0].mustExist);
  EXPECT_EQ(doc->Root().m_name, "Huis Jansen");
  EXPECT_EQ(doc->Counters().groupAddresses, 3);
}

TEST_F(EsfImportTest, Ets4ConversionKeepsTheOriginalAndImports) {
  EXPECT_EQ(ConvertEts4Text("\xEF\xBB\xBFN\xC2\xB0;\xCE\xA9\xE2\x82\xAC\r\na\nb\r"),
            "N\xB0;?\x80\r\na\r\nb\r");
  EXPECT_EQ(Ets4BackupPath("/a.b/project.esf"), "/a.b/project.ets4backup");
  EXPECT_EQ(Ets4BackupPath("/a.b/project"), "/a.b/project.ets4backup");

  FakeFileDialogs dialogs;
  CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
  services.fileDialogs = &dialogs;
  doc = std::make_unique<CDORAzivazDoc>(services);

  const std::string original = *ReadFileText(Sample("ets4_utf8.esf"));
  const std::string path = Path("export.esf");
  WriteFile("export.esf", original);
  dialogs.path = path;
  EXPECT_TRUE(doc->OnCommand(kCmdConvertEts4));
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].defaultExtension, "esf");
  EXPECT_EQ(dialogs.requests[0].defaultFileName, "project.esf");
  EXPECT_EQ(PromptIds(), std::vector<unsigned>({kStrEts4Converted}));
  EXPECT_EQ(ReadFile("export.ets4backup"), original);
  const std::string converted = ReadFile("export.esf");
  EXPECT_EQ(converted, ConvertEts4Text(original));

  prompt.records.clear();
  ASSERT_EQ(ImportEsfFile(*doc, Path("export.esf"), nullptr), EsfImportResult::kImported);
  EXPECT_EQ(doc->EsfLanguage(), 3);
  EXPECT_EQ(Outline(doc->Root()),
            "node \xC3\x89tage 1\nnode \xC3\x89"
            "clairage ? 1\n"
            "\xC3\x89tage.\xC3\x89"
            "clairage ?.1/1/1|Cuisine|EIS 1 'Switching' (1 Bit)|2||\n");

  // A second conversion must not replace the backup of the true original.
  ASSERT_TRUE(ConvertEts4File(path));
  EXPECT_EQ(ReadFile("export.ets4backup"), original);

  // An unreadable file is left alone and reported as not converted.
  prompt.records.clear();
  dialogs.path = Path("missing.esf");
  EXPECT_TRUE(doc->OnCommand(kCmdConvertEts4));
  EXPECT_TRUE(prompt.records.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("missing.ets4backup")));
}
