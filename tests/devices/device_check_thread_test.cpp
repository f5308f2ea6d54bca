// The device check thread: the round by PingTime, the single retry, unknown answers, queued
// checks, cancelling, restarts, a clean stop and simulation answers.
#include <gtest/gtest.h>

#include "device_check_fixture.h"
#include "devices/device_commands.h"
#include "project/group_item.h"
#include "project/special_item_kind.h"

namespace {

using Strings = std::vector<std::string>;

TEST_F(DeviceCheckTest, RoundChecksOneDeviceEveryPingTime) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  service->present = {"01.01.001", "01.01.002", "01.01.003"};
  service->checkMs = 2000;  // the time a check takes counts into the interval
  service->pass = 4;
  handOff.stream = service;
  MakeDoc(true, 15);
  AddDevices({"01.01.001", "01.01.002", "01.01.003"});

  ASSERT_TRUE(service->WaitForCalls(5));
  const std::vector<CheckCall> calls = service->Calls();
  EXPECT_EQ(service->Addresses(),
            (Strings{"01.01.001", "01.01.002", "01.01.003", "01.01.001", "01.01.002"}));
  for (std::size_t i = 1; i < calls.size(); ++i)
    EXPECT_EQ(calls[i].at - calls[i - 1].at, 15000) << i;

  loop.RunPending();
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(doc->Devices().At(i).state, kDeviceStateGood);
  EXPECT_EQ(views.changed.size(), 4u);
  EXPECT_FALSE(views.failedMark);
  EXPECT_TRUE(FailedList().empty());
}

TEST_F(DeviceCheckTest, SilentDeviceIsRetriedOnceThenReportedAtEveryFailure) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  service->present = {"01.01.001"};
  service->pass = 2;
  handOff.stream = service;
  MakeDoc(true, 15);
  const auto devices = AddDevices({"01.01.001", "01.01.002"});
  DeviceRecord* silent = devices[1];

  // The retry follows at once; until it has failed too, nothing is reported.
  ASSERT_TRUE(service->WaitForCalls(3));
  auto calls = service->Calls();
  EXPECT_EQ(calls[2].address, "01.01.002");
  EXPECT_LT(calls[2].at - calls[1].at, 1000);
  loop.RunPending();
  EXPECT_EQ(State(silent), kDeviceStateUnknown);
  EXPECT_EQ(Retries(silent), 1);
  EXPECT_TRUE(FailedList().empty());

  // Failed twice: reported; the next round reports it at its first failure.
  service->Release(3);
  ASSERT_TRUE(service->WaitForCalls(6));
  EXPECT_EQ(service->Addresses(), (Strings{"01.01.001", "01.01.002", "01.01.002", "01.01.001",
                                           "01.01.002", "01.01.001"}));
  loop.RunPending();
  EXPECT_EQ(State(silent), kDeviceStateFailed);
  EXPECT_EQ(FailedList(), Strings{"01.01.002"});
  EXPECT_EQ(FailedItemValue(), Strings{"01.01.002"});
  EXPECT_TRUE(views.failedMark);
  EXPECT_EQ(std::count(views.states.begin(), views.states.end(), kDeviceStateFailed), 2);

  // It answers again: good, off the list, retried again at its next failure.
  service->SetPresent("01.01.002");
  service->Release(2);
  ASSERT_TRUE(service->WaitForCalls(8));
  loop.RunPending();
  EXPECT_EQ(State(silent), kDeviceStateGood);
  EXPECT_EQ(Retries(silent), 0);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_TRUE(FailedItemValue().empty());
  EXPECT_FALSE(views.failedMark);
}

TEST_F(DeviceCheckTest, MissingOrFailingServiceAnswersUnknownAndOtherDevicesCountAsSilent) {
  MakeDoc(true);
  const auto devices = AddDevices({"01.01.001", "01.01.002", "01.01.003", "01.01.004"});
  // No bus component: the check cannot be made.
  doc->CheckQueue().Add("01.01.001");
  ASSERT_TRUE(Eventually([&] { return FailedList() == Strings{"01.01.001"}; }));
  loop.RunPending();
  EXPECT_EQ(views.states, std::vector<std::int32_t>{kDeviceStateUnknown});
  EXPECT_EQ(Retries(devices[0]), 0);
  EXPECT_EQ(FailedItemValue(), Strings{"01.01.001"});

  // A service delivered later is taken up: a failing call is unknown as well, another device
  // answering is no answer (retried, then failed), the device itself clears its entry.
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  service->present = {"01.01.001"};
  service->failing = {"01.01.002"};
  service->otherAnswers = {{"01.01.003", 0x1163}};
  ASSERT_TRUE(Deliver(service));
  for (const char* a : {"01.01.002", "01.01.003", "01.01.001"}) doc->CheckQueue().Add(a);
  ASSERT_TRUE(service->WaitForCalls(4));
  ASSERT_TRUE(Eventually([&] { return FailedList() == Strings{"01.01.002", "01.01.003"}; }));
  EXPECT_EQ(service->Addresses(), (Strings{"01.01.002", "01.01.003", "01.01.001", "01.01.003"}));
  loop.RunPending();
  EXPECT_EQ(State(devices[0]), kDeviceStateGood);
  EXPECT_EQ(State(devices[1]), kDeviceStateUnknown);
  EXPECT_EQ(State(devices[2]), kDeviceStateFailed);
  EXPECT_EQ(FailedItemValue(), (Strings{"01.01.002", "01.01.003"}));
}

TEST_F(DeviceCheckTest, QueuedChecksWithPingTimeZeroRunWithinASecond) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  handOff.stream = service;
  MakeDoc(true, 0);
  AddDevices({"01.01.005", "01.01.006"});
  // Let the idle thread wait a few seconds of its own.
  const std::int64_t started = clock.now;
  ASSERT_TRUE(Eventually([&] { return clock.now > started + 3000; }));

  GroupItem* item = doc->CheckDeviceItem();
  const std::int64_t written = clock.now;
  ASSERT_EQ(callback.WriteTag(item, Variant::Bstr(u"1.1.5")), S_OK);
  ASSERT_TRUE(service->WaitForCalls(1));
  EXPECT_EQ(service->Calls()[0].address, "01.01.005");
  EXPECT_LE(service->Calls()[0].at - written, 1000);

  // No round without PingTime: nothing else is checked.
  ASSERT_TRUE(Eventually([&] { return clock.now > written + 60000; }));
  EXPECT_EQ(service->Calls().size(), 2u);  // the silent device's retry
  EXPECT_EQ(service->Addresses()[1], "01.01.005");
}

TEST_F(DeviceCheckTest, ClearingTheProjectWhileACheckRunsDropsEverythingOfTheOldProject) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  service->pass = 2;
  handOff.stream = service;
  MakeDoc(true, 15);
  AddDevices({"01.01.001"});
  // Reported as failed (the message still unhandled), and checked again when the project goes.
  ASSERT_TRUE(service->WaitForCalls(3));
  ASSERT_EQ(FailedList(), Strings{"01.01.001"});

  const int cancels = service->Cancels();
  ASSERT_TRUE(doc->DeleteContents());
  EXPECT_EQ(service->Cancels(), cancels + 1);
  EXPECT_EQ(doc->Devices().Size(), 0u);
  EXPECT_TRUE(FailedList().empty());
  EXPECT_TRUE(FailedItemValue().empty());
  // The posted result names a destroyed device: it is dropped.
  loop.RunPending();
  EXPECT_TRUE(views.changed.empty());

  // The thread goes on with the new project.
  service->SetPresent("01.01.009");
  service->Release(100);
  const auto devices = AddDevices({"01.01.009"});
  ASSERT_TRUE(Eventually([&] {
    loop.RunPending();
    return State(devices[0]) == kDeviceStateGood;
  }));
  EXPECT_TRUE(FailedList().empty());
}

TEST_F(DeviceCheckTest, IntervalOffCancelsARunningCheckAndForgetsItsResult) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  service->pass = 0;
  handOff.stream = service;
  MakeDoc(true, 15);
  const auto devices = AddDevices({"01.01.001"});
  ASSERT_TRUE(service->WaitForCalls(1));

  const int cancels = service->Cancels();
  ASSERT_TRUE(doc->OnCommand(kCmdCheckIntervalOff));
  EXPECT_EQ(service->Cancels(), cancels + 1);
  EXPECT_EQ(settings->GetInt(kParameterKey, "PingTime"), 0);
  EXPECT_EQ(doc->Settings().pingTime, 0);
  // The thread has moved on to its idle waits; the cancelled check changed nothing.
  const std::int64_t now = clock.now;
  ASSERT_TRUE(Eventually([&] { return clock.now > now + 3000; }));
  EXPECT_EQ(Retries(devices[0]), 0);
  EXPECT_TRUE(CheckQueue().empty());
  EXPECT_TRUE(FailedList().empty());
  EXPECT_EQ(service->Calls().size(), 1u);
}

TEST_F(DeviceCheckTest, StopsWithinASecondAlsoDuringACheck) {
  auto service = std::make_shared<ScriptedCheckService>();
  service->pass = 0;  // blocks until cancelled, like a silent device on a slow bus
  handOff.stream = service;
  MakeDoc(true, 120, nullptr, &SteadyDeviceCheckClock());
  AddDevices({"01.01.001"});
  doc->CheckQueue().Add("01.01.001");
  ASSERT_TRUE(service->WaitForCalls(1));
  const auto start = std::chrono::steady_clock::now();
  doc.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(handOff.drops, 1);
}

TEST_F(DeviceCheckTest, RestartDropsTheServiceAndTakesTheNewOne) {
  auto first = std::make_shared<ScriptedCheckService>(&clock);
  first->present = {"01.01.001"};
  handOff.stream = first;
  MakeDoc(true, 0);
  AddDevices({"01.01.001"});
  doc->CheckQueue().Add("01.01.001");
  ASSERT_TRUE(first->WaitForCalls(1));

  // The interface is switched: the thread drops its service and goes on.
  handOff.restart = true;
  doc->DeviceCheckQuitEvent()->Set();
  ASSERT_TRUE(Eventually([&] { return handOff.drops == 1; }));
  auto second = std::make_shared<ScriptedCheckService>(&clock);
  second->present = {"01.01.001"};
  handOff.restart = false;
  ASSERT_TRUE(Deliver(second));
  doc->CheckQueue().Add("01.01.001");
  ASSERT_TRUE(second->WaitForCalls(1));
  EXPECT_EQ(first->Calls().size(), 1u);

  doc.reset();
  EXPECT_EQ(handOff.drops, 2);
}

TEST_F(DeviceCheckTest, SimulationAnswersGoodOrSilentWithoutTheBus) {
  auto service = std::make_shared<ScriptedCheckService>(&clock);
  handOff.stream = service;
  MakeDoc(true, 0);
  AddDevices({"01.01.001"});
  doc->SetSimulationFlag(true);
  for (int i = 0; i < 100; ++i) doc->CheckQueue().Add("01.01.001");
  const std::int64_t now = clock.now;
  ASSERT_TRUE(Eventually([&] { return CheckQueue().empty() && clock.now > now + 2000; }));
  loop.RunPending();
  EXPECT_TRUE(service->Calls().empty());
  const auto count = [&](std::int32_t s) {
    return std::count(views.states.begin(), views.states.end(), s);
  };
  EXPECT_GT(count(kDeviceStateGood), 0);
  EXPECT_GT(count(kDeviceStateFailed), 0);
  EXPECT_EQ(count(kDeviceStateUnknown), 0);
}

}  // namespace
