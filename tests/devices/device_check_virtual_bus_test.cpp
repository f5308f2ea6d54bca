// The device check through the bus connection and the virtual bus: answering, silent and
// unreadable devices, clearing the project during a check, and stopping during one.
#include <gtest/gtest.h>

#include "bus/bus_link.h"
#include "device_check_fixture.h"
#include "knx/bus_classes.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_interface.h"

namespace {

using Strings = std::vector<std::string>;

class VirtualBusDeviceCheckTest : public DeviceCheckTest {
 protected:
  ~VirtualBusDeviceCheckTest() override {
    doc.reset();
    link.reset();
    VirtualBus::Forget(busName);
  }

  // A document connected to this test's virtual bus; `checkTimeout` is how long a silent
  // device takes to give up (real milliseconds).
  CDORAzivazDoc& MakeBusDoc(std::int32_t pingTime, int checkTimeout) {
    busName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    component.RegisterDriver(VirtualBusDriverEntry());
    RegisterBusClasses(component, loop, *settings);
    settings->SetText(
        kBusAccessParametersKey, kVirtualBusName,
        "name=" + busName + ";devices=01.01.001;checktimeout=" + std::to_string(checkTimeout));
    settings->SetInt(kParameterKey, "PingTime", pingTime);
    link = std::make_unique<BusLink>(loop, component);
    link->Connection().SetModeSettleTime(std::chrono::milliseconds(0));

    supervision = std::make_shared<DeviceSupervision>(
        DeviceCheckWiring{*settings, &link->Connection(), &clock});
    supervision->SetViews(&views);
    DocumentSeams seams;
    link->WireSeams(seams);
    seams.busWorkerThread = nullptr;
    InstallDeviceCheck(seams, supervision);
    CDORAzivazDoc::Services services{callback, prompt, loop, *settings};
    doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
    supervision->RegisterCommands(*doc);
    EXPECT_TRUE(link->Connection().Connected());
    return *doc;
  }

  std::string busName;
  BusComponent component;
  std::unique_ptr<BusLink> link;
};

TEST_F(VirtualBusDeviceCheckTest, AnsweringSilentAndUncheckableDevices) {
  MakeBusDoc(15, 20);
  const auto devices = AddDevices({"01.01.001", "01.01.002", "99.01.001"});
  ASSERT_TRUE(Eventually([&] { return FailedList() == Strings{"01.01.002", "99.01.001"}; }));
  ASSERT_TRUE(Eventually([&] {
    loop.RunPending();
    return State(devices[0]) == kDeviceStateGood && State(devices[1]) == kDeviceStateFailed;
  }));
  // The bus refuses to check an address that does not read: the result is unknown.
  EXPECT_EQ(State(devices[2]), kDeviceStateUnknown);
  EXPECT_EQ(FailedItemValue(), (Strings{"01.01.002", "99.01.001"}));

  // A client asks for the silent device once it answers.
  VirtualBus::Named(busName)->SetDevicePresent(0x1102, true);
  ASSERT_EQ(callback.WriteTag(doc->CheckDeviceItem(), Variant::Bstr(u"1.1.2")), S_OK);
  ASSERT_TRUE(Eventually([&] { return FailedList() == Strings{"99.01.001"}; }));
}

TEST_F(VirtualBusDeviceCheckTest, ClearingAndStoppingEndASilentDevicesCheckAtOnce) {
  MakeBusDoc(15, 10000);
  AddDevices({"01.01.002"});
  // Give the thread time to enter the ten-second check.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(doc->DeleteContents());
  EXPECT_EQ(doc->Devices().Size(), 0u);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_TRUE(FailedItemValue().empty());

  const auto devices = AddDevices({"01.01.001", "01.01.003"});
  ASSERT_TRUE(Eventually([&] {
    loop.RunPending();
    return State(devices[0]) == kDeviceStateGood;
  }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  start = std::chrono::steady_clock::now();
  doc.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
