// Tests of the project file and the device file: round trips, every malformed input, safe saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "document_fixture.h"
#include "project/document_strings.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "project/project_file.h"

namespace {

// A project as it is saved: two main groups, one with middle groups, one with two-level items.
const std::string kProject =
    "Villa\r\n"
    "Ground floor.Lights.1/2/3\tCeiling\tEIS 1 'Switching' (1 Bit)\tLow\tInit\t1/2/4 2/7\r\n"
    "Ground floor.Lights.1/2/4\t\tEIS 2 'Dimming - value' (8 Bit)\tHigh\tNoInit\t\r\n"
    "Ground floor.Blinds.1/3/1\tSouth\tEIS 8 'Scaling - control' (2 Bit)\tAlarm\tNoInit\t\r\n"
    "Central.2/7\tAll off\tUncertain (2 Byte)\tAlarm\tInit\t1/2/3\r\n"
    "Central.2/1500\tClock\tEIS 3 'Time' (3 Byte)\tLow\tNoInit\t\r\n";

class ProjectFileTest : public DocumentTest {
 protected:
  CDORAzivazDoc& Load(const std::string& project, const std::string& devices) {
    WriteFile("p.zlv", project);
    if (!devices.empty()) WriteFile("p.phd", devices);
    CDORAzivazDoc& d = doc ? *doc : MakeDoc();
    EXPECT_TRUE(d.OnOpenDocument(Path("p.zlv")));
    return d;
  }
  std::vector<unsigned> PromptIds() const {
    std::vector<unsigned> ids;
    for (const auto& r : prompt.records) ids.push_back(r.id);
    return ids;
  }
  std::vector<std::string> ItemIds() {
    std::vector<std::string> ids;
    std::function<void(GroupNode&)> walk = [&](GroupNode& node) {
      for (auto& item : node.m_items) ids.push_back(item->m_itemId);
      for (auto& child : node.m_children) walk(*child);
    };
    walk(doc->Root());
    return ids;
  }
};

TEST_F(ProjectFileTest, SavedProjectLoadsBackIdentically) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n15.15.255\r\n");
  EXPECT_TRUE(prompt.records.empty());
  GroupNode& root = d.Root();
  EXPECT_EQ(root.m_name, "Villa");
  ASSERT_EQ(root.m_children.size(), 2u);
  GroupNode& ground = *root.m_children[0];
  EXPECT_EQ(ground.m_number, 1);
  ASSERT_EQ(ground.m_children.size(), 2u);
  EXPECT_EQ(ground.m_children[0]->m_name, "Lights");
  EXPECT_EQ(ground.m_children[0]->m_number, 2);
  EXPECT_EQ(ground.m_children[1]->m_number, 3);
  const GroupItem& ceiling = *ground.m_children[0]->m_items[0];
  EXPECT_EQ(ceiling.m_name, "Ceiling");
  EXPECT_EQ(ceiling.m_eis, 1);
  EXPECT_EQ(ceiling.m_initialRead, 1);
  EXPECT_EQ(ceiling.m_priority, kPriorityLow);
  EXPECT_EQ(ceiling.m_linkedAddresses, (std::vector<std::string>{"1/2/4", "2/7"}));
  EXPECT_EQ(ground.m_children[0]->m_items[1]->m_priority, kPriorityHigh);
  EXPECT_EQ(ground.m_children[1]->m_items[0]->m_typeName, "EIS 8 'Scaling - control' (2 Bit)");
  GroupNode& central = *root.m_children[1];
  EXPECT_EQ(central.m_number, 2);
  EXPECT_TRUE(central.m_children.empty());
  EXPECT_EQ(central.m_items[1]->m_itemId, "Central.2/1500");
  // The listeners are rebuilt from the links.
  EXPECT_EQ(ground.m_children[0]->m_items[1]->m_listeners, std::vector<std::string>{"1/2/3"});
  EXPECT_EQ(d.Counters().mainGroups, 2);
  EXPECT_EQ(d.Counters().middleGroups, 2);
  EXPECT_EQ(d.Counters().groupAddresses, 5);
  EXPECT_EQ(d.Counters().devices, 2);
  EXPECT_FALSE(d.IsModified());

  ASSERT_TRUE(d.OnSaveDocument(Path("copy.zlv")));
  EXPECT_EQ(ReadFile("copy.zlv"), kProject);
  EXPECT_EQ(ReadFile("copy.phd"), "01.01.005\r\n15.15.255\r\n");
  EXPECT_EQ(settings->GetText(kParameterKey, "Startfile"), Path("copy.zlv"));
  EXPECT_EQ(d.PathName(), Path("copy.zlv"));
}

TEST_F(ProjectFileTest, LoadingNormalisesPrioritiesLinksAndInitWords) {
  CDORAzivazDoc& d = Load(
      "\tignored\r\n"
      "A.B.1/1/1\tn\tEIS 1 'Switching' (1 Bit)\tSystem\tinit\t3/0 junk 1/1/2 1/258  1/1/2\r\n"
      "A.B.1/1/2\tn\tEIS 1 'Switching' (1 Bit)\tHigh\r\n"
      "A.B.1/1/3\tn\tEIS 1 'Switching' (1 Bit)\tLow\tInit\r\n",
      "01.01.001\r\n");
  EXPECT_EQ(d.Root().m_name, "Project");
  const auto& items = d.Root().m_children[0]->m_children[0]->m_items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0]->m_priority, kPriorityAlarm);  // "System" comes back as "Alarm"
  EXPECT_EQ(items[0]->m_initialRead, 0);            // only "Init" exactly
  // Ascending by group address value; 1/258 equals 1/1/2 and goes after it; duplicates kept.
  EXPECT_EQ(items[0]->m_linkedAddresses,
            (std::vector<std::string>{"1/1/2", "1/258", "1/1/2", "3/0"}));
  EXPECT_EQ(items[1]->m_priority, kPriorityHigh);
  // "Init" needs a TAB after it to count.
  EXPECT_EQ(items[2]->m_initialRead, 0);
  EXPECT_TRUE(prompt.records.empty());
}

TEST_F(ProjectFileTest, MainGroupNumbersDecideTheNodes) {
  CDORAzivazDoc& d = Load(
      "P\r\n"
      "One.Lights.1/2/3\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "One.Blinds.1/3/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "Two.2/5\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "One.Lights.1/2/4\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n",
      "");
  const auto& mains = d.Root().m_children;
  ASSERT_EQ(mains.size(), 3u);
  EXPECT_EQ(mains[0]->m_children.size(), 2u);  // 1/2/3 and 1/3/1 share main group 1
  EXPECT_EQ(mains[2]->m_name, "One(1)");       // main 1 again after main 2
  EXPECT_EQ(mains[2]->m_children[0]->m_items[0]->m_itemId, "One(1).Lights.1/2/4");
  EXPECT_EQ(PromptIds(), std::vector<unsigned>{kStrNoDeviceFile});
  EXPECT_EQ(prompt.records[0].insert, Path("p.phd"));

  Load("P\r\nCentral.1/515\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n", "");
  ASSERT_EQ(d.Root().m_children.size(), 1u);
  EXPECT_EQ(d.Root().m_children[0]->m_name, "Central");
  EXPECT_EQ(d.Root().m_children[0]->m_items[0]->m_itemId, "Central.1/515");
}

TEST_F(ProjectFileTest, LoadedGroupNamesAreUniqueWithoutRegardToCaseAndNeverEmpty) {
  // Written by hand or by an older version: "licht" beside "Licht", nameless groups.
  CDORAzivazDoc& d = Load(
      "P\r\n"
      "Licht.1/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "licht.2/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "..3/1/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "..3/2/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n"
      "Zentral.4/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n",
      "");
  const auto& mains = d.Root().m_children;
  ASSERT_EQ(mains.size(), 4u);
  EXPECT_EQ(mains[0]->m_name, "Licht");
  EXPECT_EQ(mains[1]->m_name, "licht(1)");
  EXPECT_EQ(mains[2]->m_name, "(1)");
  ASSERT_EQ(mains[2]->m_children.size(), 2u);
  EXPECT_EQ(mains[2]->m_children[0]->m_name, "(1)");
  EXPECT_EQ(mains[2]->m_children[1]->m_name, "(2)");
  EXPECT_EQ(mains[2]->m_children[1]->m_items[0]->m_itemId, "(1).(2).3/2/1");
  EXPECT_EQ(mains[3]->m_name, "Zentral");
  for (const std::string id : {"licht(1).2/1", "(1).(2).3/2/1", "Zentral.4/1"})
    EXPECT_NE(FindItemById(d.Root(), id), nullptr) << id;
}

TEST_F(ProjectFileTest, EmptyProjectStoresOnlyItsName) {
  CDORAzivazDoc& d = MakeDoc();
  ASSERT_TRUE(d.OnSaveDocument(Path("empty.zlv")));
  EXPECT_EQ(ReadFile("empty.zlv"), "Project\r\n");
  EXPECT_EQ(ReadFile("empty.phd"), "");
  ASSERT_TRUE(d.OnOpenDocument(Path("empty.zlv")));
  EXPECT_TRUE(d.Root().m_children.empty());
  EXPECT_EQ(d.Root().m_items.size(), 2u);
  EXPECT_TRUE(prompt.records.empty());
}

TEST_F(ProjectFileTest, MalformedItemLineStopsTheItemsButNotTheDevices) {
  const std::string good = "A.B.1/1/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n";
  const std::string bad[] = {
      "no tab at all in this line which is rather long indeed",
      "NoDot1/1/1\tname\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t",
      "A.B.7\tname\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t",
      "A.1/2/3\tname\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t",  // TAB before middle "."
      "A.B.1/1/2",                                                // nothing after the ID
      "A.B.1/1/2\tname",                                          // no TAB after the name
      "A.B.1/1/2\tname\tEIS 1 'Switching' (1 Bit)",               // no TAB after the type
  };
  for (const std::string& line : bad) {
    SCOPED_TRACE(line);
    prompt.records.clear();
    CDORAzivazDoc& d = Load("P\r\n" + good + line + "\r\n" + good, "01.01.005\r\n");
    ASSERT_EQ(PromptIds(), std::vector<unsigned>{kStrBadProjectLine});
    EXPECT_EQ(prompt.records[0].insert, line.substr(0, 40) + "...");
    EXPECT_EQ(ItemIds().size(), 3u);  // the two special items and the first good line
    EXPECT_EQ(d.Counters().groupAddresses, 1);
    EXPECT_EQ(d.Devices().Size(), 1u);
  }
}

TEST_F(ProjectFileTest, DeviceLinesAreCheckedAndOnlyPaddedOnesLoaded) {
  const std::string items = "P\r\n";
  CDORAzivazDoc& d = Load(items, "1.1.5\r\n01.01.005\r\n01.01.005\r\n02.03.100\r\n");
  ASSERT_EQ(d.Devices().Size(), 2u);  // 1.1.5 skipped, the repeated address kept once
  EXPECT_EQ(d.Devices().At(0).addressText, "01.01.005");
  EXPECT_EQ(d.Devices().At(1).addressText, "02.03.100");
  EXPECT_EQ(d.Devices().At(1).devicesNode, &d.DevicesNode());
  EXPECT_EQ(d.Counters().devices, 2);
  EXPECT_TRUE(prompt.records.empty());

  for (const std::string line : {"16.01.005", "01.16.005", "01.01.256", "001.01.005", "01.001.005",
                                 "01.01.0005", "01005", "01.005"}) {
    SCOPED_TRACE(line);
    prompt.records.clear();
    CDORAzivazDoc& again = Load(items, "01.01.001\r\n" + std::string(line) + "\r\n01.01.002\r\n");
    ASSERT_EQ(PromptIds(), std::vector<unsigned>{kStrBadDeviceLine});
    EXPECT_EQ(prompt.records[0].insert, line);
    EXPECT_EQ(again.Devices().Size(), 1u);
  }
}

TEST_F(ProjectFileTest, OnlyDeviceTextsThatLoadBackAreStored) {
  DeviceList devices;
  for (const char* text : {"1.5", "01.01.005", "1.1.6", "16.01.005", "01.01.007"}) {
    devices.Add(std::make_unique<DeviceRecord>(text, nullptr, nullptr));
  }
  // A malformed text would stop the loading and lose 01.01.007; an unpadded one is skipped.
  std::vector<std::string> leftOut;
  EXPECT_EQ(DeviceFileText(devices, &leftOut), "01.01.005\r\n01.01.007\r\n");
  EXPECT_EQ(leftOut, (std::vector<std::string>{"1.5", "1.1.6", "16.01.005"}));

  // Saving tells the user which devices the device file leaves out, one a line.
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  ASSERT_TRUE(d.OnSaveDocument(Path("clean.zlv")));
  EXPECT_TRUE(prompt.records.empty());
  {
    std::lock_guard lock(d.DeviceListLock());
    for (const char* text : {"1.5", "01.01.009", "1.1.6"})
      d.Devices().Add(std::make_unique<DeviceRecord>(text, &d, &d.DevicesNode()));
  }
  ASSERT_TRUE(d.OnSaveDocument(Path("p.zlv")));
  EXPECT_EQ(ReadFile("p.phd"), "01.01.005\r\n01.01.009\r\n");
  EXPECT_EQ(PromptIds(), std::vector<unsigned>{kStrDevicesLeftOut});
  EXPECT_EQ(prompt.records[0].insert, "1.5\n1.1.6");
}

TEST_F(ProjectFileTest, DeviceFileThatCannotBeWrittenLeavesTheProjectFileSaved) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  std::filesystem::create_directory(Path("out.phd"));
  prompt.records.clear();
  EXPECT_TRUE(d.OnSaveDocument(Path("out.zlv")));
  EXPECT_EQ(PromptIds(), std::vector<unsigned>{kStrDeviceFileNotSaved});
  EXPECT_EQ(ReadFile("out.zlv"), kProject);
  EXPECT_EQ(std::filesystem::directory_iterator(Path("out.phd")),
            std::filesystem::directory_iterator());
}

TEST_F(ProjectFileTest, FailedSaveKeepsTheOldFilesAndLeavesNoTemporaryFiles) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  GroupNode& central = *d.Root().m_children[1];
  for (int sub = 0; sub < 200; ++sub) {
    central.AppendItem(CreateGroupItem("2/" + std::to_string(sub), "a rather long item name",
                                       "EIS 1 'Switching' (1 Bit)", kPriorityLow, central, &d));
  }
  // The file size limit makes the write fail half-way, as a full disk would.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  prompt.records.clear();
  const bool saved = d.OnSaveDocument(Path("p.zlv"));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved);
  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_EQ(prompt.records[0].insert, Path("p.zlv"));
  EXPECT_EQ(ReadFile("p.zlv"), kProject);
  EXPECT_EQ(ReadFile("p.phd"), "01.01.005\r\n");
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"p.phd", "p.zlv", "settings"}));
}

TEST_F(ProjectFileTest, OpeningIsRefusedWhileAClientHoldsAnItem) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  WriteFile("other.zlv", "Other\r\n");
  GroupItem& held = *d.Root().m_children[1]->m_items[0];
  held.AddRef();
  prompt.records.clear();
  EXPECT_FALSE(d.OnOpenDocument(Path("other.zlv")));
  EXPECT_EQ(PromptIds(), std::vector<unsigned>{kStrClientsHoldItems});
  EXPECT_EQ(d.Root().m_name, "Villa");
  EXPECT_EQ(ItemIds().size(), 7u);
  held.Release();
}

TEST_F(ProjectFileTest, AFailedOpenKeepsTheProjectItsPathAndTheStartFile) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  const std::string opened = Path("p.zlv");
  ASSERT_EQ(settings->GetText(kParameterKey, "Startfile"), opened);
  d.SetModifiedFlag();
  prompt.records.clear();

  // A file that is not there, and one that is a folder: nothing of the open project changes.
  std::filesystem::create_directory(Path("folder.zlv"));
  for (const std::string& bad : {Path("typo.zlv"), Path("folder.zlv")}) {
    EXPECT_FALSE(d.OnOpenDocument(bad));
    EXPECT_EQ(prompt.records.back().id, kStrFailedToOpenDoc);
    EXPECT_EQ(prompt.records.back().insert, bad);
  }
  EXPECT_EQ(d.Root().m_name, "Villa");
  EXPECT_EQ(ItemIds().size(), 7u);
  EXPECT_EQ(d.Counters().devices, 1);
  EXPECT_EQ(d.PathName(), opened);
  EXPECT_TRUE(d.IsModified());
  EXPECT_EQ(settings->GetText(kParameterKey, "Startfile"), opened);

  // Saving afterwards writes the real project over its own file.
  ASSERT_TRUE(d.OnSaveDocument(d.PathName()));
  EXPECT_EQ(ReadFile("p.zlv"), kProject);
  // A save that fails does not record its path either.
  EXPECT_FALSE(d.OnSaveDocument(Path("missing/dir/q.zlv")));
  EXPECT_EQ(settings->GetText(kParameterKey, "Startfile"), opened);
}

TEST_F(ProjectFileTest, LoadingATypedProjectDropsTheUntypedMarkOfTheOldOne) {
  const std::string untyped = "P\r\nA.1/1\t\tsomething else\tLow\tNoInit\t\r\n";
  CDORAzivazDoc& d = Load(untyped, "");
  EXPECT_TRUE(d.Root().m_untypedMark);
  Load("P\r\nA.1/1\t\tEIS 1 'Switching' (1 Bit)\tLow\tNoInit\t\r\n", "");
  EXPECT_FALSE(d.Root().m_untypedMark);
  Load(untyped, "");
  ASSERT_TRUE(d.OnNewDocument());
  EXPECT_FALSE(d.Root().m_untypedMark);
}

TEST_F(ProjectFileTest, LoadingQueuesTheInitialReadInTreeOrder) {
  std::vector<std::pair<std::string, bool>> reads;
  DocumentSeams seams;
  seams.queueRead = [&](CDORAzivazDoc& d, GroupItem& item) {
    reads.emplace_back(item.m_addressText, d.InitialReadRunning());
  };
  MakeDoc(seams);
  CDORAzivazDoc& d = Load(kProject, "");
  EXPECT_EQ(reads, (std::vector<std::pair<std::string, bool>>{{"1/2/3", true}, {"2/7", true}}));
  EXPECT_FALSE(d.InitialReadRunning());

  reads.clear();
  d.Settings().initRead = 0;
  Load(kProject, "");
  EXPECT_TRUE(reads.empty());
}

TEST(DeviceFilePathTest, ReplacesTheFileNamesExtension) {
  EXPECT_EQ(DeviceFilePath("/a/b/villa.zlv"), "/a/b/villa.phd");
  EXPECT_EQ(DeviceFilePath("/a.b/villa"), "/a.b/villa.phd");
  EXPECT_EQ(DeviceFilePath("villa.x.zlv"), "villa.x.phd");
}

TEST_F(ProjectFileTest, SaveModifiedAsksBeforeAProjectIsReplaced) {
  CDORAzivazDoc& d = Load(kProject, "01.01.005\r\n");
  prompt.records.clear();
  EXPECT_TRUE(d.SaveModified());  // nothing to ask
  EXPECT_TRUE(prompt.records.empty());

  d.Root().SetName("Renamed");
  d.SetModifiedFlag();
  prompt.answer = PromptAnswer::Cancel;
  EXPECT_FALSE(d.SaveModified());
  prompt.answer = PromptAnswer::No;
  EXPECT_TRUE(d.SaveModified());
  EXPECT_EQ(ReadFile("p.zlv"), kProject);
  prompt.answer = PromptAnswer::Yes;
  EXPECT_TRUE(d.SaveModified());
  EXPECT_EQ(ReadFile("p.zlv").substr(0, 9), "Renamed\r\n");
  EXPECT_FALSE(d.IsModified());
  ASSERT_EQ(prompt.records.size(), 3u);
  EXPECT_EQ(prompt.records[0].insert, Path("p.zlv"));

  // A new project has no file, and without a file dialog there is nowhere to save it.
  d.OnNewDocument();
  d.SetModifiedFlag();
  EXPECT_FALSE(d.SaveModified());
}

}  // namespace
