// The bus connection: messages of every failure, silence, the interface switch with a running
// worker, a clean stop with requests queued, and the main thread pumping while the interface
// opens.
#include "bus/bus_connection.h"

#include <chrono>
#include <thread>

#include "bus_fixture.h"
#include "knx/bus_errors.h"

namespace {

constexpr Guid kInterfaceA{0x11111111, 1, 1, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr Guid kInterfaceB{0x22222222, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8}};

class ConnectionTest : public BusTest {
 protected:
  ConnectionTest() {
    bus.chooser->defaultInterface = {"A", 1, kInterfaceA, "host-a"};
    bus.chooser->choice = {"B", 0, kInterfaceB, "host-b"};
  }

  // Waits (at most two seconds) until `done` holds; the worker thread runs meanwhile.
  template <typename F>
  bool Eventually(F done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
};

}  // namespace

TEST_F(ConnectionTest, ConnectsToTheDefaultInterface) {
  MakeBusDoc();
  BusConnection& connection = link->Connection();
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(bus.device->mode, 5);
  EXPECT_EQ(bus.device->openedGuid, kInterfaceA);
  EXPECT_EQ(bus.device->openedParameter, Variant::Bstr(u"host-a"));
  EXPECT_EQ(bus.Service().sink, &link->Reception());
  EXPECT_TRUE(connection.GroupStreamReady());
  EXPECT_TRUE(connection.DeviceServiceDelivered());
  EXPECT_EQ(connection.TakeDeviceStream(), bus.checkService);
  EXPECT_EQ(connection.TakeDeviceStream(), nullptr);  // taken at most once
  EXPECT_TRUE(prompt.records.empty());

  doc.reset();
  EXPECT_EQ(bus.Service().sink, nullptr);  // unadvised when the document goes
}

TEST_F(ConnectionTest, EachFailureShowsItsMessage) {
  struct Case {
    std::function<void(FakeBusComponent&)> fail;
    unsigned message;
    std::string insert;
    bool connected;
  };
  const std::vector<Case> cases{
      {[](FakeBusComponent& b) { b.failDevice = true; }, kMsgComponentNotCreated, "0x8007000E",
       false},
      {[](FakeBusComponent& b) { b.device->openResult = E_FAIL; }, kMsgOpenFailed, "0x80004005",
       false},
      {[](FakeBusComponent& b) {
         b.device->openErrorCode = DeviceOpenErrorAlreadyOpenWithDifferentLayer;
       },
       kMsgOpenError, "DeviceOpenErrorAlreadyOpenWithDifferentLayer", true},
      {[](FakeBusComponent& b) { b.failGroupService = true; }, kMsgComponentNotCreated,
       "0x8007000E", false},
      {[](FakeBusComponent& b) {
         b.configure = [](FakeGroupValueService& s) { s.attachResult = E_INVALIDARG; };
       },
       kMsgOpenFailed, "0x80070057", false},
      {[](FakeBusComponent& b) {
         b.configure = [](FakeGroupValueService& s) { s.adviseResult = E_FAIL; };
       },
       kMsgAdviseFailed, "", false},
      {[](FakeBusComponent& b) { b.failCheckService = true; }, kMsgNoDeviceCheckService, "", true},
  };
  for (bool silent : {false, true}) {
    for (const Case& c : cases) {
      doc.reset();
      link.reset();
      prompt.records.clear();
      bus.failDevice = bus.failGroupService = bus.failCheckService = false;
      bus.device->openResult = S_OK;
      bus.device->openErrorCode = 0;
      bus.configure = nullptr;
      c.fail(bus);
      MakeBusDoc(false, silent);
      EXPECT_EQ(link->Connection().Connected(), c.connected) << c.message;
      // An interface that did not open is shown as a link that is down.
      EXPECT_EQ(link->Connection().LinkUp(), c.connected && c.message != kMsgOpenError)
          << c.message;
      if (silent) {
        EXPECT_TRUE(prompt.records.empty()) << c.message;
        continue;
      }
      ASSERT_EQ(prompt.records.size(), 1u) << c.message;
      EXPECT_EQ(prompt.records[0].id, c.message);
      EXPECT_EQ(prompt.records[0].insert, c.insert);
    }
  }
}

TEST_F(ConnectionTest, SwitchInterfaceReconnectsAndTheWorkerSendsThroughTheNewService) {
  MakeBusDoc(true);
  doc->Settings().readSpeed = 5;
  doc->Settings().writeSpeed = 5;
  prompt.answer = PromptAnswer::Yes;
  FakeGroupValueService& first = bus.Service();
  doc->QueueWrite(*switching, Variant::Bool(true));
  ASSERT_TRUE(Eventually([&] { return first.Sent().size() == 1; }));
  ASSERT_TRUE(Eventually([&] { return link->Connection().WorkerHoldsProxy(); }));

  ASSERT_TRUE(doc->OnCommand(kCmdSwitchInterface));
  EXPECT_EQ(bus.device->openedGuid, kInterfaceB);
  EXPECT_EQ(link->Connection().InterfaceName(), "B");
  EXPECT_EQ(PromptIds(), std::vector<unsigned>{kMsgMakeDefaultInterface});
  EXPECT_EQ(bus.chooser->defaultSetTo, "B");
  EXPECT_GE(bus.checkService->cancels, 1);
  ASSERT_EQ(bus.services.size(), 2u);

  doc->QueueWrite(*switching, Variant::Bool(false));
  ASSERT_TRUE(Eventually([&] { return bus.Service().Sent().size() == 1; }));
  EXPECT_EQ(first.Sent().size(), 1u);
  EXPECT_EQ(first.sink, nullptr);

  // Cancelling the choice changes nothing.
  bus.chooser->choice.name.clear();
  doc->OnCommand(kCmdSwitchInterface);
  EXPECT_EQ(bus.services.size(), 2u);
  EXPECT_TRUE(link->Connection().Connected());
}

TEST_F(ConnectionTest, StopsCleanlyWithRequestsQueued) {
  MakeBusDoc(true);
  doc->Settings().readSpeed = 60'000;
  doc->Settings().writeSpeed = 60'000;
  for (int i = 0; i < 100; ++i) doc->QueueWrite(*value, Variant::R4(static_cast<float>(i)));
  ASSERT_TRUE(Eventually([&] { return bus.Service().Sent().size() == 1; }));
  const auto start = std::chrono::steady_clock::now();
  doc->StopBusWorker();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(doc->Stopping());
  EXPECT_EQ(bus.Service().Sent().size(), 1u);
  doc.reset();
}

TEST_F(ConnectionTest, TheWaitHookRunsWhileTheInterfaceOpensAndMessagesComeAfterwards) {
  using namespace std::chrono_literals;
  // Without hooks (headless) the interface opens on the calling thread, as ever.
  MakeBusDoc();
  EXPECT_EQ(bus.device->openThread, std::this_thread::get_id());

  BusConnection& connection = link->Connection();
  std::atomic<int> pumps{0};
  connection.SetWaitHook([&] {
    ++pumps;
    std::this_thread::sleep_for(1ms);
  });
  std::vector<std::string> steps;
  connection.SetConnectingHook([&](bool connecting) {
    steps.push_back((connecting ? "opening, messages: " : "opened, messages: ") +
                    std::to_string(prompt.records.size()));
  });
  // The interface answers only after the main thread has pumped a few rounds: an Open that
  // blocked the main thread would give up after two seconds with too few rounds.
  int pumpsWhileOpening = 0;  // written by Open's thread, read after it ended
  bus.device->duringOpen = [&] {
    const auto until = std::chrono::steady_clock::now() + 2s;
    while (pumps < 3 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    pumpsWhileOpening = pumps;
  };
  bus.device->openErrorCode = DeviceOpenErrorDriverOpenError;
  prompt.answer = PromptAnswer::No;
  ASSERT_TRUE(doc->OnCommand(kCmdSwitchInterface));
  EXPECT_NE(bus.device->openThread, std::this_thread::get_id());
  EXPECT_GE(pumpsWhileOpening, 3);
  EXPECT_EQ(bus.device->openedGuid, kInterfaceB);
  EXPECT_EQ(bus.device->openedParameter, Variant::Bstr(u"host-b"));
  // The question on the default interface came before the opening, its error after it.
  EXPECT_EQ(steps, (std::vector<std::string>{"opening, messages: 1", "opened, messages: 1"}));
  EXPECT_EQ(PromptIds(), (std::vector<unsigned>{kMsgMakeDefaultInterface, kMsgOpenError}));
  ASSERT_EQ(prompt.records.size(), 2u);
  EXPECT_EQ(prompt.records[1].insert, "DeviceOpenErrorDriverOpenError");
  EXPECT_TRUE(connection.Connected());
  EXPECT_FALSE(connection.LinkUp());

  // An Open that fails ends the opening before its message; the pause after SetMode pumps too.
  steps.clear();
  prompt.records.clear();
  pumps = 0;
  int pumpsBeforeOpen = 0;
  bus.device->duringOpen = [&] { pumpsBeforeOpen = pumps; };
  bus.device->openResult = E_FAIL;
  connection.SetModeSettleTime(50ms);
  doc->OnCommand(kCmdSwitchInterface);
  EXPECT_GE(pumpsBeforeOpen, 2);
  EXPECT_EQ(steps, (std::vector<std::string>{"opening, messages: 1", "opened, messages: 1"}));
  EXPECT_EQ(PromptIds(), (std::vector<unsigned>{kMsgMakeDefaultInterface, kMsgOpenFailed}));
  EXPECT_FALSE(connection.Connected());
}
