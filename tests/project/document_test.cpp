// Tests of the project document: settings, clearing, the new item command, seams and threads.
#include <gtest/gtest.h>

#include <atomic>

#include "document_fixture.h"
#include "platform/auto_reset_event.h"
#include "project/group_node.h"
#include "project/special_item_kind.h"

namespace {

TEST_F(DocumentTest, FirstStartWritesBackOnlyTheTimingAndStrategyValues) {
  CDORAzivazDoc& d = MakeDoc();
  const std::pair<const char*, int> writtenBack[] = {
      {"ResponseTimeout", 6},    {"ReadSpeed", 100},       {"WriteSpeed", 100},
      {"InitSpeedSlow", 1000},   {"InitSpeedMedium", 500}, {"InitSpeedFast", 250},
      {"SimulationSpeed", 1000}, {"WriteStrategy", 1},     {"ReadStrategy", 1}};
  for (const auto& [name, value] : writtenBack)
    EXPECT_EQ(settings->GetInt(kParameterKey, name), value) << name;
  for (const char* name : {"UseGMT", "ReadLinks", "InitRead", "InitSpeedCombobox", "PingTime"})
    EXPECT_FALSE(settings->GetInt(kParameterKey, name).has_value()) << name;
  EXPECT_EQ(d.Settings().useGmt, 1);
  EXPECT_EQ(d.Settings().initRead, 1);
  EXPECT_EQ(d.Settings().pingTime, 0);
}

TEST_F(DocumentTest, ValuesEditedByHandAreUsedAndKept) {
  settings->SetInt(kParameterKey, "ReadSpeed", 20);
  settings->SetInt(kParameterKey, "PingTime", 30);
  settings->SetInt(kParameterKey, "InitRead", 0);
  CDORAzivazDoc& d = MakeDoc();
  EXPECT_EQ(d.Settings().readSpeed, 20);
  EXPECT_EQ(d.Settings().pingTime, 30);
  EXPECT_EQ(d.Settings().initRead, 0);
  EXPECT_EQ(settings->GetInt(kParameterKey, "ReadSpeed"), 20);
}

void ExpectEmptyProject(CDORAzivazDoc& d) {
  GroupNode& root = d.Root();
  EXPECT_EQ(root.m_name, "Project");
  EXPECT_TRUE(root.m_children.empty());
  ASSERT_EQ(root.m_items.size(), 2u);
  const GroupItem& failed = *root.m_items[0];
  EXPECT_EQ(failed.m_addressText, "Failed Devices");
  EXPECT_EQ(failed.m_itemId, "Failed Devices");
  EXPECT_EQ(failed.m_eis, kFailedDevicesItem);
  EXPECT_EQ(failed.m_nativeDataType, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(failed.m_accessRights, OPC_READABLE);
  EXPECT_EQ(failed.m_priority, kPriorityAlarm);
  EXPECT_EQ(failed.m_value.vt(), VT_ARRAY | VT_BSTR);
  EXPECT_EQ(failed.m_quality, OPC_QUALITY_GOOD);
  const GroupItem& check = *root.m_items[1];
  EXPECT_EQ(check.m_addressText, "Check Device");
  EXPECT_EQ(check.m_eis, kCheckDeviceItem);
  EXPECT_EQ(check.m_nativeDataType, VT_BSTR);
  EXPECT_EQ(check.m_accessRights, OPC_WRITEABLE);
  EXPECT_EQ(d.FailedDevicesItem(), &failed);
  EXPECT_EQ(d.CheckDeviceItem(), &check);
  EXPECT_EQ(d.DevicesNode().m_number, -1);
  EXPECT_NE(d.DevicesNode().m_deviceNode, 0);
  EXPECT_EQ(d.Devices().Size(), 0u);
  const ProjectCounters& c = d.Counters();
  EXPECT_EQ(c.mainGroups + c.middleGroups + c.groupAddresses + c.devices, 0);
}

TEST_F(DocumentTest, ClearingIsRefusedWhileAClientHoldsAnItemAndLeavesEverything) {
  CDORAzivazDoc& d = MakeDoc();
  ExpectEmptyProject(d);
  GroupNode* devicesNode = &d.DevicesNode();

  GroupNode& main = d.Root().AppendChild(CreateGroupNode("Main", 1, &d));
  GroupNode& middle = main.AppendChild(CreateGroupNode("Middle", 2, &d));
  GroupItem& held = middle.AppendItem(
      CreateGroupItem("1/2/3", "Lamp", "EIS 1 'Switching' (1 Bit)", kPriorityLow, middle, &d));
  d.Devices().Add(std::make_unique<DeviceRecord>("01.01.005", &d, devicesNode));
  d.Counters().groupAddresses = 1;
  d.Requests().Add(BusRequest{&held, kRequestRead, 0, {}});
  d.Pending().Add(held, 0);
  d.CheckQueue().Add("01.01.005");
  d.FailedDevices().Add("01.01.005");
  d.SetSimulationFlag(true);

  held.AddRef();
  const int clearsBefore = views.clears;
  EXPECT_FALSE(d.DeleteContents());
  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_EQ(prompt.records[0].id, kStrClientsHoldItems);
  EXPECT_EQ(views.clears, clearsBefore);
  ASSERT_EQ(d.Root().m_children.size(), 1u);
  EXPECT_EQ(d.Root().m_children[0]->m_children[0]->m_items[0].get(), &held);
  EXPECT_EQ(d.Root().m_items.size(), 2u);
  EXPECT_EQ(d.Devices().Size(), 1u);
  EXPECT_EQ(d.Requests().Size(), 1u);
  EXPECT_EQ(d.Pending().Size(), 1u);
  EXPECT_EQ(d.CheckQueue().Items().size(), 1u);
  EXPECT_EQ(d.FailedDevices().Items().size(), 1u);
  EXPECT_EQ(d.Counters().groupAddresses, 1);

  held.Release();
  EXPECT_TRUE(d.DeleteContents());
  EXPECT_EQ(prompt.records.size(), 1u);
  ExpectEmptyProject(d);
  EXPECT_TRUE(d.Requests().Empty());
  EXPECT_TRUE(d.Pending().Empty());
  EXPECT_TRUE(d.CheckQueue().Empty());
  EXPECT_TRUE(d.FailedDevices().Items().empty());
  EXPECT_TRUE(d.Simulation());               // kept across the clearing
  EXPECT_EQ(&d.DevicesNode(), devicesNode);  // made once, kept
  EXPECT_EQ(views.clears, clearsBefore + 1);
}

TEST_F(DocumentTest, NewGroupItemProposesTheGroupsAddressAndCountsOnOk) {
  CDORAzivazDoc& d = MakeDoc();
  GroupNode& main = d.Root().AppendChild(CreateGroupNode("Main", 1, &d));
  GroupNode& middle = main.AppendChild(CreateGroupNode("Middle", 2, &d));
  GroupNode& byHand = d.Root().AppendChild(CreateGroupNode("Mine", -1, &d));

  for (GroupNode* node : {&middle, &main, &byHand}) {
    views.selected = node;
    dialog.ok = false;
    EXPECT_TRUE(d.OnCommand(kCmdNewGroupItem));
  }
  EXPECT_EQ(dialog.proposed, (std::vector<std::string>{"1/2/", "1/", "0/"}));
  EXPECT_TRUE(middle.m_items.empty());
  EXPECT_FALSE(middle.m_untypedMark);  // the cancelled item leaves no mark behind
  EXPECT_FALSE(d.Root().m_untypedMark);
  EXPECT_FALSE(d.IsModified());

  views.selected = &middle;
  dialog.ok = true;
  d.OnCommand(kCmdNewGroupItem);
  ASSERT_EQ(middle.m_items.size(), 1u);
  const GroupItem& item = *middle.m_items[0];
  EXPECT_EQ(item.m_typeName, "Unknown");
  EXPECT_EQ(item.m_priority, kPriorityLow);
  EXPECT_EQ(item.m_size, 112);
  EXPECT_TRUE(middle.m_untypedMark);
  EXPECT_TRUE(main.m_untypedMark);
  EXPECT_TRUE(d.Root().m_untypedMark);
  EXPECT_EQ(views.added, std::vector<GroupItem*>{middle.m_items[0].get()});
  EXPECT_EQ(d.Counters().groupAddresses, 1);
  EXPECT_TRUE(d.IsModified());

  // The root and the devices node take no items.
  dialog.proposed.clear();
  for (GroupNode* node : {&d.Root(), &d.DevicesNode()}) {
    views.selected = node;
    d.OnCommand(kCmdNewGroupItem);
  }
  EXPECT_TRUE(dialog.proposed.empty());
  EXPECT_EQ(d.Counters().groupAddresses, 1);

  EXPECT_TRUE(d.OnNewDocument());
  EXPECT_FALSE(d.IsModified());
  EXPECT_EQ(d.Counters().groupAddresses, 0);
}

TEST_F(DocumentTest, CommandTableRunsRegisteredHandlers) {
  CDORAzivazDoc& d = MakeDoc();
  EXPECT_FALSE(d.OnCommand(kCmdDeleteDevices));
  int runs = 0;
  d.SetCommand(kCmdDeleteDevices, [&] { ++runs; });
  EXPECT_TRUE(d.OnCommand(kCmdDeleteDevices));
  EXPECT_EQ(runs, 1);
}

TEST_F(DocumentTest, ReadsAndWritesReachTheSeamsOfTheirKind) {
  std::vector<std::string> calls;
  DocumentSeams seams;
  seams.queueRead = [&](CDORAzivazDoc&, GroupItem& item) {
    calls.push_back("read " + item.m_addressText);
  };
  seams.queueWrite = [&](CDORAzivazDoc&, GroupItem& item, const Variant&) {
    calls.push_back("write " + item.m_addressText);
    return S_OK;
  };
  seams.recomputeFailedDevices = [&](CDORAzivazDoc&) { calls.push_back("recompute"); };
  seams.checkDeviceWrite = [&](CDORAzivazDoc&, GroupItem&, const Variant&) {
    calls.push_back("check");
  };
  CDORAzivazDoc& d = MakeDoc(seams);
  GroupNode& main = d.Root().AppendChild(CreateGroupNode("Main", 1, &d));
  GroupItem& item = main.AppendItem(
      CreateGroupItem("1/5", "", "EIS 1 'Switching' (1 Bit)", kPriorityLow, main, &d));
  OpcDocument& opc = d;

  opc.QueueRead(item);
  EXPECT_EQ(opc.QueueWrite(item, Variant::Bool(true)), S_OK);
  opc.QueueRead(*d.FailedDevicesItem());
  opc.QueueRead(*d.CheckDeviceItem());
  opc.QueueWrite(*d.CheckDeviceItem(), Variant::Bstr(u"1.1.5"));
  opc.QueueWrite(*d.FailedDevicesItem(), Variant::Bstr(u"x"));
  d.SetSimulationFlag(true);
  opc.QueueRead(item);  // simulation mode reads nothing from the bus
  EXPECT_EQ(calls, (std::vector<std::string>{"read 1/5", "write 1/5", "recompute", "check"}));
  EXPECT_EQ(callback.Document(), &d);
}

TEST_F(DocumentTest, WorkerThreadsRunUntilTheirQuitEvents) {
  std::atomic<int> running{0};
  std::vector<std::string> names;
  DocumentSeams seams;
  seams.deviceCheckThread = [&](CDORAzivazDoc& d) {
    ++running;
    d.DeviceCheckQuitEvent()->WaitForever();
    --running;
  };
  seams.busWorkerThread = [&](CDORAzivazDoc& d) {
    ++running;
    d.BusWorkerQuitEvent()->WaitForever();
    EXPECT_TRUE(d.Stopping());
    --running;
  };
  CDORAzivazDoc& d = MakeDoc(seams);
  EXPECT_EQ(d.DeviceCheckQuitEvent()->Name(), "DOR_AZIVAZ_QUIT_THREAD");
  EXPECT_EQ(d.BusWorkerQuitEvent()->Name(), "DOR_AZIVAZ_QUIT_THREAD2");
  d.SetSimulationFlag(true);
  d.StopBusWorker();
  EXPECT_FALSE(d.Simulation());
  doc.reset();  // stops the device check thread
  EXPECT_EQ(running, 0);
}

TEST_F(DocumentTest, DestroyingItemsTakesThemOffThePendingListAndTheQueue) {
  CDORAzivazDoc& d = MakeDoc();
  GroupNode& main = d.Root().AppendChild(CreateGroupNode("Main", 1, &d));
  GroupItem& a = main.AppendItem(CreateGroupItem("1/1", "", "1 Bit", kPriorityLow, main, &d));
  GroupItem& b = main.AppendItem(CreateGroupItem("1/2", "", "1 Bit", kPriorityLow, main, &d));
  d.Requests().Add(BusRequest{&a, kRequestRead, 0, {}});
  d.Requests().Add(BusRequest{&b, kRequestWrite, 0, Variant::Bool(true)});
  d.Requests().Add(BusRequest{&a, kRequestWrite, 0, Variant::Bool(false)});
  d.Pending().Add(a, 0);
  d.Pending().Add(b, 0);
  main.m_items.erase(main.m_items.begin());  // destroys a
  ASSERT_EQ(d.Requests().Size(), 1u);
  EXPECT_EQ(d.Requests().Snapshot().front().item, &b);
  EXPECT_EQ(d.Pending().Items(), std::vector<GroupItem*>{&b});
}

}  // namespace
