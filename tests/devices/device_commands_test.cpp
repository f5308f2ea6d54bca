// The device commands over a selection, the address dialog's check, and "Check Device" writes.
#include <gtest/gtest.h>

#include "device_check_fixture.h"
#include "devices/device_address_validation.h"
#include "devices/device_commands.h"
#include "devices/device_row_texts.h"
#include "devices/device_state_message.h"
#include "devices/failed_devices.h"
#include "project/group_item.h"

namespace {

using Strings = std::vector<std::string>;

TEST_F(DeviceCheckTest, CheckDeviceWritesQueueTheTextFormOrMakeTheItemBad) {
  MakeDoc(false);
  GroupItem* item = doc->CheckDeviceItem();
  ASSERT_EQ(callback.WriteTag(item, Variant::Bstr(u"1.1.5")), S_OK);
  EXPECT_EQ(CheckQueue(), Strings{"01.01.005"});
  EXPECT_EQ(item->m_quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(item->m_value, Variant::Bstr(u"1.1.5"));
  for (const char16_t* bad :
       {u"1.1", u"16.1.5", u"1.1.256", u"001.1.5", u"1.2.3.4", u"a.1.5", u"-1.1.5", u"1..5", u""}) {
    item->m_quality = OPC_QUALITY_GOOD;
    ASSERT_EQ(callback.WriteTag(item, Variant::Bstr(bad)), S_OK);
    EXPECT_EQ(item->m_quality, OPC_QUALITY_BAD) << Utf16ToUtf8(bad);
    EXPECT_EQ(item->m_value, Variant::Bstr(bad));
  }
  // A number is written as its text: one dot is too few.
  ASSERT_EQ(callback.WriteTag(item, Variant::R8(1.5)), S_OK);
  EXPECT_EQ(item->m_quality, OPC_QUALITY_BAD);
  ASSERT_EQ(callback.WriteTag(item, Variant::Bstr(u"15.15.255")), S_OK);
  EXPECT_EQ(CheckQueue(), (Strings{"01.01.005", "15.15.255"}));
}

TEST_F(DeviceCheckTest, AddressDialogCheckRewritesAndRefusesDuplicates) {
  MakeDoc(false);
  const auto devices = AddDevices({"01.01.005"});
  std::string text = "1.1.5";
  EXPECT_EQ(ValidateDeviceAddress(text, doc->Devices(), nullptr), kStrDeviceAddressExists);
  EXPECT_EQ(text, "01.01.005");
  text = "1.1.5";
  EXPECT_EQ(ValidateDeviceAddress(text, doc->Devices(), devices[0]), 0u);
  text = "2.3.4";
  EXPECT_EQ(ValidateDeviceAddress(text, doc->Devices(), nullptr), 0u);
  EXPECT_EQ(text, "02.03.004");
  for (const char* bad : {"1.1", "16.1.5", "1.1.256", "001.1.5", "1.1.1000"}) {
    text = bad;
    EXPECT_EQ(ValidateDeviceAddress(text, doc->Devices(), nullptr), kStrInvalidDeviceAddress);
    EXPECT_EQ(text, bad);
  }
}

TEST_F(DeviceCheckTest, AddEditAndDeleteDevices) {
  MakeDoc(false);
  dialog.texts = {"1.1", "1.1.5"};
  ASSERT_TRUE(doc->OnCommand(kCmdAddDevice));
  EXPECT_EQ(dialog.messages, (std::vector<unsigned>{kStrInvalidDeviceAddress, 0}));
  ASSERT_EQ(doc->Devices().Size(), 1u);
  DeviceRecord* first = &doc->Devices().At(0);
  EXPECT_EQ(first->addressText, "01.01.005");
  EXPECT_EQ(views.added, std::vector<DeviceRecord*>{first});
  EXPECT_EQ(doc->Counters().devices, 1);
  EXPECT_TRUE(doc->IsModified());

  dialog.messages.clear();
  dialog.texts = {"01.01.005", "1.1.6"};
  ASSERT_TRUE(doc->OnCommand(kCmdAddDevice));
  EXPECT_EQ(dialog.messages, (std::vector<unsigned>{kStrDeviceAddressExists, 0}));
  ASSERT_EQ(doc->Devices().Size(), 2u);
  DeviceRecord* second = &doc->Devices().At(1);

  // Edit: a failed device with a new address starts again unknown and leaves the list.
  second->state = kDeviceStateFailed;
  second->retryCount = 1;
  doc->FailedDevices().Add("01.01.006");
  RecomputeFailedDevices(*doc);
  views.selected = {second};
  dialog.texts = {"1.1.7"};
  doc->SetModifiedFlag(false);
  ASSERT_TRUE(doc->OnCommand(kCmdEditDevice));
  EXPECT_EQ(dialog.shown.back(), "01.01.006");
  EXPECT_EQ(second->addressText, "01.01.007");
  EXPECT_EQ(second->state, kDeviceStateUnknown);
  EXPECT_EQ(second->retryCount, 0);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_TRUE(FailedItemValue().empty());
  EXPECT_TRUE(doc->IsModified());
  // Several rows selected: edit does nothing.
  views.selected = {first, second};
  dialog.shown.clear();
  ASSERT_TRUE(doc->OnCommand(kCmdEditDevice));
  EXPECT_TRUE(dialog.shown.empty());

  // Delete asks first; No keeps everything.
  prompt.answer = PromptAnswer::No;
  ASSERT_TRUE(doc->OnCommand(kCmdDeleteDevices));
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrDeleteDevices});
  EXPECT_EQ(doc->Devices().Size(), 2u);
  prompt.answer = PromptAnswer::Yes;
  second->state = kDeviceStateFailed;
  doc->FailedDevices().Add("01.01.007");
  views.failedMark = true;
  views.selected = {second};
  doc->SetModifiedFlag(false);
  ASSERT_TRUE(doc->OnCommand(kCmdDeleteDevices));
  EXPECT_EQ(prompt.asked.back(), kStrDeleteOneDevice);
  ASSERT_EQ(doc->Devices().Size(), 1u);
  EXPECT_EQ(doc->Devices().At(0).addressText, "01.01.005");
  EXPECT_EQ(views.removed, Strings{"01.01.007"});
  EXPECT_EQ(doc->Counters().devices, 1);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_FALSE(views.failedMark);
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DeviceCheckTest, ResetCheckNowAndIntervalCommands) {
  MakeDoc(false);
  const auto devices = AddDevices({"01.01.001", "01.01.002", "01.01.003"});
  for (DeviceRecord* d : devices) {
    d->state = kDeviceStateFailed;
    d->retryCount = 1;
    doc->FailedDevices().Add(d->addressText);
  }
  RecomputeFailedDevices(*doc);

  // Reset: unknown, off the list, queued for a check.
  views.selected = {devices[1]};
  ASSERT_TRUE(doc->OnCommand(kCmdResetDevices));
  EXPECT_EQ(devices[1]->state, kDeviceStateUnknown);
  EXPECT_EQ(devices[1]->retryCount, 0);
  EXPECT_EQ(FailedList(), (Strings{"01.01.001", "01.01.003"}));
  EXPECT_EQ(FailedItemValue(), (Strings{"01.01.001", "01.01.003"}));
  EXPECT_EQ(CheckQueue(), Strings{"01.01.002"});
  EXPECT_TRUE(views.failedMark);

  views.selected = {devices[0], devices[2]};
  ASSERT_TRUE(doc->OnCommand(kCmdCheckDevicesNow));
  EXPECT_EQ(CheckQueue(), (Strings{"01.01.002", "01.01.001", "01.01.003"}));

  // Reset all: every device unknown, "Failed Devices" an empty array.
  ASSERT_TRUE(doc->OnCommand(kCmdResetAllDevices));
  for (DeviceRecord* d : devices) EXPECT_EQ(d->state, kDeviceStateUnknown);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_TRUE(FailedItemValue().empty());
  EXPECT_EQ(doc->FailedDevicesItem()->m_quality, OPC_QUALITY_GOOD);
  EXPECT_FALSE(views.failedMark);

  const std::pair<unsigned, int> intervals[] = {{kCmdCheckInterval15, 15},
                                                {kCmdCheckInterval30, 30},
                                                {kCmdCheckInterval60, 60},
                                                {kCmdCheckInterval120, 120},
                                                {kCmdCheckIntervalOff, 0}};
  for (const auto& [command, seconds] : intervals) {
    ASSERT_TRUE(doc->OnCommand(command));
    EXPECT_EQ(doc->Settings().pingTime, seconds);
    EXPECT_EQ(settings->GetInt(kParameterKey, "PingTime"), seconds);
  }
}

TEST_F(DeviceCheckTest, StateMessageUpdatesOnlyAnExistingDevice) {
  MakeDoc(false);
  const auto devices = AddDevices({"01.01.001", "01.01.002"});
  ApplyDeviceState(*doc, &views, {kDeviceStateFailed, devices[0], "01.01.001"});
  EXPECT_EQ(devices[0]->state, kDeviceStateFailed);
  EXPECT_NE(devices[0]->lastResultTime.ticks, 0u);
  EXPECT_TRUE(views.failedMark);
  EXPECT_EQ(DeviceTimeText(*devices[0]).size(), 8u);
  ApplyDeviceState(*doc, &views, {kDeviceStateUnknown, devices[0], "01.01.001"});
  EXPECT_EQ(DeviceTimeText(*devices[0]), "");
  EXPECT_FALSE(views.failedMark);
  // The address changed since the check: the result is not this device's.
  ApplyDeviceState(*doc, &views, {kDeviceStateGood, devices[1], "01.01.009"});
  EXPECT_EQ(devices[1]->state, kDeviceStateUnknown);
  EXPECT_EQ(views.changed, (Strings{"01.01.001", "01.01.001"}));
}

}  // namespace
