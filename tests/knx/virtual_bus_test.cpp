// Tests of the virtual bus driver through the component's classes, as the system uses them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "knx/bus_classes.h"
#include "knx/bus_errors.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_driver.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { Read, Write, Response, ReadConfirm, WriteConfirm };

struct Event {
  Kind kind;
  std::int32_t address;
  std::int32_t number;
  std::int32_t priority;
  std::int16_t error;
  Variant data;
  std::thread::id thread;
};

class RecordingSink : public BusEventSink {
 public:
  HRESULT OnGroupValueRead(std::int32_t a, std::int32_t n, std::int32_t p,
                           const Variant& d) override {
    return Add(Kind::Read, a, n, p, 0, d);
  }
  HRESULT OnGroupValueWrite(std::int32_t a, std::int32_t n, std::int32_t p,
                            const Variant& d) override {
    return Add(Kind::Write, a, n, p, 0, d);
  }
  HRESULT OnGroupValueResponse(std::int32_t a, std::int32_t n, std::int32_t p,
                               const Variant& d) override {
    return Add(Kind::Response, a, n, p, 0, d);
  }
  HRESULT OnReadConfirm(std::int32_t a, std::int32_t n, std::int32_t p, std::int16_t e,
                        const Variant& d) override {
    return Add(Kind::ReadConfirm, a, n, p, e, d);
  }
  HRESULT OnWriteConfirm(std::int32_t a, std::int32_t n, std::int32_t p, std::int16_t e,
                         const Variant& d) override {
    return Add(Kind::WriteConfirm, a, n, p, e, d);
  }
  HRESULT OnConnectionState(bool connected) override {
    links.push_back(connected);
    return S_OK;
  }

  std::vector<Event> events;
  std::vector<bool> links;

 private:
  HRESULT Add(Kind kind, std::int32_t a, std::int32_t n, std::int32_t p, std::int16_t e,
              const Variant& d) {
    events.push_back({kind, a, n, p, e, d, std::this_thread::get_id()});
    return S_OK;
  }
};

Variant Bstr(const std::string& text) {
  return Variant::Bstr(AnsiToUtf16(text));
}
Variant Address(std::uint16_t groupAddress) {
  return Bstr(std::to_string(groupAddress));
}

constexpr std::uint16_t kGa123 = (1 << 11) | (2 << 8) | 3;
constexpr std::uint16_t kGa124 = kGa123 + 1;

class VirtualBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_busName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    m_settingsPath = ::testing::TempDir() + "/m_vbus" + m_busName + ".settings";
    std::filesystem::remove(m_settingsPath);
    m_settings = std::make_unique<SettingsStore>(m_settingsPath);
    m_component.RegisterDriver(VirtualBusDriverEntry());
    RegisterBusClasses(m_component, m_loop, *m_settings);
  }

  void TearDown() override {
    if (m_groups && m_cookie != 0) m_groups->Unadvise(m_cookie);
    m_groups.reset();
    m_checks.reset();
    m_device.reset();
    m_loop.RunPending();
    VirtualBus::Forget(m_busName);
    std::filesystem::remove(m_settingsPath);
  }

  // Opens the virtual bus of this test as the system connects: device, mode 5, Open, both
  // services attached, the sink advised. Returns the DeviceOpenError.
  std::int32_t Connect(const std::string& settings = "") {
    EXPECT_EQ(m_component.CreateBusDevice(&m_device), S_OK);
    EXPECT_EQ(m_device->SetMode(5), S_OK);
    std::int32_t openError = -1;
    const std::string parameter = "name=" + m_busName + (settings.empty() ? "" : ";" + settings);
    EXPECT_EQ(m_device->Open(kVirtualBusGuid, Bstr(parameter), &openError), S_OK);
    std::shared_ptr<BusDriver> attachPoint;
    EXPECT_EQ(m_device->QueryAttachPoint(&attachPoint), S_OK);
    EXPECT_EQ(m_component.CreateGroupValueService(&m_groups), S_OK);
    EXPECT_EQ(m_groups->AttachDevice(attachPoint), S_OK);
    EXPECT_EQ(m_groups->Advise(&m_sink, &m_cookie), S_OK);
    EXPECT_EQ(m_component.CreateDeviceCheckService(&m_checks), S_OK);
    EXPECT_EQ(m_checks->AttachDevice(attachPoint), S_OK);
    return openError;
  }

  std::shared_ptr<VirtualBus> Bus() { return VirtualBus::Named(m_busName); }

  HRESULT Write(std::uint16_t address, const Variant& data, std::int32_t* writeError,
                bool shortForm = false, std::int32_t priority = PriorityLow) {
    return m_groups->WriteGroupValue(Address(address), priority, 6, shortForm ? -1 : 0, data,
                                     writeError);
  }

  HRESULT Read(std::uint16_t address, std::int32_t* writeError) {
    return m_groups->ReadGroupValue(Address(address), PriorityLow, 6, writeError);
  }

  // Runs the main thread's queue and hands out what the sink got since the last call.
  std::vector<Event> Deliver() {
    m_loop.RunPending();
    return std::exchange(m_sink.events, {});
  }

  std::string m_busName;
  std::string m_settingsPath;
  std::unique_ptr<SettingsStore> m_settings;
  EventLoop m_loop;
  BusComponent m_component;
  RecordingSink m_sink;
  std::uint32_t m_cookie = 0;
  std::shared_ptr<BusDevice> m_device;
  std::shared_ptr<GroupValueService> m_groups;
  std::shared_ptr<DeviceCheckService> m_checks;
};

TEST_F(VirtualBusTest, WritesAreConfirmedWithTheirDataInBusOrder) {
  ASSERT_EQ(Connect(), DeviceOpenErrorNoError);
  struct Case {
    Variant data;
    bool shortForm;
    Bytes expected;
  };
  const std::vector<Case> cases = {
      {Variant::UI1(0x7F), false, {0x7F}},
      {Variant::I2(0x1234), false, {0x12, 0x34}},
      {Variant::I2(-2), false, {0xFF, 0xFE}},
      {Variant::I4(0x01020304), false, {0x01, 0x02, 0x03, 0x04}},
      {Variant::I4(-1), false, {0xFF, 0xFF, 0xFF, 0xFF}},
      {Variant::Bytes({0x0C, 0x33}), false, {0x0C, 0x33}},
      {Variant::Bytes({0x0C, 0x33}, 1), false, {0x0C, 0x33}},
      {Variant::UI1(1), true, {0x01}},
      {Variant::UI1(0xC5), true, {0x05}},  // only six bits travel in the APCI octet
  };
  for (const Case& c : cases) {
    std::int32_t writeError = -1;
    ASSERT_EQ(Write(kGa123, c.data, &writeError, c.shortForm, PriorityHigh), S_OK);
    EXPECT_EQ(writeError, DeviceWriteErrorNoError);
  }
  EXPECT_TRUE(m_sink.events.empty()) << "events wait for the main thread";
  const std::vector<Event> events = Deliver();
  ASSERT_EQ(events.size(), cases.size());
  const std::vector<GroupTelegram> sent = Bus()->Sent();
  ASSERT_EQ(sent.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(events[i].kind, Kind::WriteConfirm);
    EXPECT_EQ(events[i].address, kGa123);
    EXPECT_EQ(events[i].number, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(events[i].priority, PriorityHigh);
    EXPECT_EQ(events[i].error, VARIANT_FALSE);
    EXPECT_EQ(events[i].data, Variant::Bytes(cases[i].expected));
    EXPECT_EQ(sent[i].data, cases[i].expected);
    EXPECT_EQ(sent[i].apci, APciValueWrite);
    EXPECT_EQ(sent[i].source, kVirtualBusOwnAddress);
  }
}

TEST_F(VirtualBusTest, ReadsAreConfirmedAndAnsweredWithTheStoredValue) {
  ASSERT_EQ(Connect("answer=1/2/3:0c33"), DeviceOpenErrorNoError);
  std::int32_t writeError = -1;
  ASSERT_EQ(Read(kGa123, &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorNoError);
  ASSERT_EQ(Read(kGa124, &writeError), S_OK);  // nobody answers 1/2/4
  std::vector<Event> events = Deliver();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, Kind::ReadConfirm);
  EXPECT_EQ(events[0].error, VARIANT_FALSE);
  EXPECT_EQ(events[0].data, Variant::Bytes({}));
  EXPECT_EQ(events[1].kind, Kind::Response);
  EXPECT_EQ(events[1].address, kGa123);
  EXPECT_EQ(events[1].data, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(events[2].kind, Kind::ReadConfirm);
  EXPECT_EQ(events[2].address, kGa124);

  // A write to the answering address changes what it answers; so does the control.
  ASSERT_EQ(Write(kGa123, Variant::Bytes({0x01, 0x02}), &writeError), S_OK);
  ASSERT_EQ(Read(kGa123, &writeError), S_OK);
  Bus()->SetAnswer(kGa124, {0x07});
  ASSERT_EQ(Read(kGa124, &writeError), S_OK);
  events = Deliver();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[2].kind, Kind::Response);
  EXPECT_EQ(events[2].data, Variant::Bytes({0x01, 0x02}));
  EXPECT_EQ(events[4].kind, Kind::Response);
  EXPECT_EQ(events[4].data, Variant::Bytes({0x07}));
}

TEST_F(VirtualBusTest, SendsFailInEachWayAndRecover) {
  ASSERT_EQ(Connect("answer=1/2/3:01"), DeviceOpenErrorNoError);
  const std::shared_ptr<VirtualBus> bus = Bus();
  std::int32_t writeError = -1;

  bus->FailSends(VirtualSendFailure::WriteError(DeviceWriteErrorQueueOverflow), 2);
  EXPECT_EQ(Read(kGa123, &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorQueueOverflow);
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorQueueOverflow);

  bus->FailSends(VirtualSendFailure::FailedCall(E_OUTOFMEMORY), 1);
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError), E_OUTOFMEMORY);
  EXPECT_TRUE(Deliver().empty()) << "a send that failed is not confirmed";
  EXPECT_TRUE(bus->Sent().empty());

  bus->FailSends(VirtualSendFailure::ErrorConfirm());
  EXPECT_EQ(Write(kGa123, Variant::UI1(9), &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorNoError);
  EXPECT_EQ(Read(kGa123, &writeError), S_OK);
  std::vector<Event> events = Deliver();
  ASSERT_EQ(events.size(), 2u) << "nothing reached the bus, so nothing answers the read";
  EXPECT_EQ(events[0].kind, Kind::WriteConfirm);
  EXPECT_EQ(events[0].error, VARIANT_TRUE);
  EXPECT_EQ(events[0].data, Variant::Bytes({0x09}));
  EXPECT_EQ(events[1].kind, Kind::ReadConfirm);
  EXPECT_EQ(events[1].error, VARIANT_TRUE);
  EXPECT_TRUE(bus->Sent().empty());
  EXPECT_EQ(bus->Answer(kGa123), Bytes{0x01});

  bus->FailSends({});
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError), S_OK);
  events = Deliver();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].error, VARIANT_FALSE);
  EXPECT_EQ(events[0].number, 3) << "failed sends use no event numbers";

  // Calls the component refuses.
  EXPECT_EQ(
      m_groups->WriteGroupValue(Bstr("1/2/3"), PriorityLow, 6, 0, Variant::UI1(1), &writeError),
      E_INVALIDARG);
  EXPECT_EQ(m_groups->ReadGroupValue(Bstr("65536"), PriorityLow, 6, &writeError), E_INVALIDARG);
  EXPECT_EQ(Read(kGa123, nullptr), E_INVALIDARG);
  EXPECT_EQ(Write(kGa123, Variant::R4(1.5f), &writeError), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Write(kGa123, Variant::Bytes(Bytes(15, 0)), &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorInvalidMessage);
  EXPECT_EQ(Write(kGa123, Variant::Bytes({}), &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorInvalidMessage);
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError, false, 4), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorInvalidMessage);
  EXPECT_EQ(bus->Sent().size(), 1u);
}

TEST_F(VirtualBusTest, DroppedEventsAreNeverDelivered) {
  ASSERT_EQ(Connect("answer=1/2/3:01"), DeviceOpenErrorNoError);
  const std::shared_ptr<VirtualBus> bus = Bus();
  bus->SetDropEvents(true);
  std::int32_t writeError = -1;
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError), S_OK);
  EXPECT_EQ(Read(kGa123, &writeError), S_OK);
  bus->InjectGroupWrite(0x1105, kGa124, {0x01});
  EXPECT_TRUE(Deliver().empty());
  EXPECT_EQ(bus->Sent().size(), 2u) << "the telegrams still went on the bus";

  bus->SetDropEvents(false);
  bus->InjectGroupWrite(0x1105, kGa124, {0x02});
  const std::vector<Event> events = Deliver();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].number, 1);
  EXPECT_EQ(events[0].data, Variant::Bytes({0x02}));
}

TEST_F(VirtualBusTest, InjectedTelegramsArriveAsTheirEvents) {
  ASSERT_EQ(Connect("answer=1/2/4:2a"), DeviceOpenErrorNoError);
  const std::shared_ptr<VirtualBus> bus = Bus();
  bus->InjectGroupWrite(0x1105, kGa123, {0x0C, 0x33}, PriorityAlarm);
  bus->InjectGroupRead(0x1105, kGa123, PrioritySystem);
  bus->InjectGroupResponse(0x1106, kGa123, {0x01});
  bus->InjectGroupRead(0x1105, kGa124);  // answered by the bus's device
  const std::vector<Event> events = Deliver();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].kind, Kind::Write);
  EXPECT_EQ(events[0].priority, PriorityAlarm);
  EXPECT_EQ(events[0].data, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(events[1].kind, Kind::Read);
  EXPECT_EQ(events[1].priority, PrioritySystem);
  EXPECT_EQ(events[1].data, Variant::Bytes({}));
  EXPECT_EQ(events[2].kind, Kind::Response);
  EXPECT_EQ(events[2].data, Variant::Bytes({0x01}));
  EXPECT_EQ(events[3].kind, Kind::Read);
  EXPECT_EQ(events[4].kind, Kind::Response);
  EXPECT_EQ(events[4].address, kGa124);
  EXPECT_EQ(events[4].data, Variant::Bytes({0x2A}));
  for (std::size_t i = 0; i < events.size(); ++i) EXPECT_EQ(events[i].number, int(i + 1));
  EXPECT_TRUE(bus->Sent().empty()) << "only the system's own telegrams are listed as sent";

  // An event still queued when its sink is unadvised is not delivered.
  bus->InjectGroupWrite(0x1105, kGa123, {0x01});
  ASSERT_EQ(m_groups->Unadvise(m_cookie), S_OK);
  EXPECT_EQ(m_groups->Unadvise(m_cookie), E_INVALIDARG);
  m_cookie = 0;
  EXPECT_TRUE(Deliver().empty());
}

TEST_F(VirtualBusTest, OpenReportsErrorsAndReleasingClosesTheConnection) {
  std::shared_ptr<BusDevice> device;
  ASSERT_EQ(m_component.CreateBusDevice(&device), S_OK);
  EXPECT_EQ(device->SetMode(3), E_INVALIDARG);
  std::int32_t openError = -1;
  std::shared_ptr<BusDriver> attachPoint;
  EXPECT_EQ(device->QueryAttachPoint(&attachPoint), E_FAIL);
  EXPECT_EQ(device->Open(GUID_NULL, Bstr(""), &openError), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(device->Open(kVirtualBusGuid, Variant::I4(1), &openError), E_INVALIDARG);
  EXPECT_EQ(device->Open(kVirtualBusGuid, Bstr("devices=1.1"), &openError), S_OK);
  EXPECT_EQ(openError, DeviceOpenErrorInvalidDevice);

  Bus()->SetOpenError(DeviceOpenErrorAlreadyOpenWithDifferentLayer);
  EXPECT_EQ(Connect(), DeviceOpenErrorAlreadyOpenWithDifferentLayer);
  std::int32_t writeError = -1;
  EXPECT_EQ(Write(kGa123, Variant::UI1(1), &writeError), S_OK);
  EXPECT_EQ(writeError, DeviceWriteErrorDriverNotOpen);
  EXPECT_EQ(Bus()->ConnectionCount(), 0u);

  Bus()->SetOpenError(DeviceOpenErrorNoError);
  ASSERT_EQ(Connect(), DeviceOpenErrorNoError);
  EXPECT_EQ(Bus()->ConnectionCount(), 1u);
  m_device.reset();
  EXPECT_EQ(Bus()->ConnectionCount(), 1u) << "the services keep the driver";
  m_groups->Unadvise(m_cookie);
  m_cookie = 0;
  m_groups.reset();
  m_checks.reset();
  EXPECT_EQ(Bus()->ConnectionCount(), 0u);
}

TEST_F(VirtualBusTest, DeviceCheckAnswersForConfiguredDevicesAndCanBeCancelled) {
  ASSERT_EQ(Connect("devices=01.01.001, 1.1.2"), DeviceOpenErrorNoError);
  Variant result;
  ASSERT_EQ(m_checks->CheckDevice(Bstr("1.1.1"), &result), S_OK);
  EXPECT_EQ(result, Variant::Array(VT_UI4, {Variant::UI4(0x1101)}));
  ASSERT_EQ(m_checks->CheckDevice(Bstr("01.01.002"), &result), S_OK);
  EXPECT_EQ(result, Variant::Array(VT_UI4, {Variant::UI4(0x1102)}));
  ASSERT_EQ(m_checks->CheckDevice(Bstr("1.1.3"), &result), S_OK);
  EXPECT_TRUE(result.IsEmpty());
  EXPECT_EQ(m_checks->CheckDevice(Bstr("1.1"), &result), E_INVALIDARG);
  EXPECT_EQ(m_checks->CheckDevice(Bstr("16.1.1"), &result), E_INVALIDARG);
  Bus()->SetDevicePresent(0x1103, true);
  ASSERT_EQ(m_checks->CheckDevice(Bstr("01.01.003"), &result), S_OK);
  EXPECT_EQ(result, Variant::Array(VT_UI4, {Variant::UI4(0x1103)}));

  // A cancel while no check runs does not shorten the next one.
  Bus()->SetCheckTimeout(std::chrono::milliseconds(50));
  EXPECT_EQ(m_checks->CancelCheck(), S_OK);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(m_checks->CheckDevice(Bstr("1.1.9"), &result), S_OK);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

  // A silent device would hold the check thread for a minute; CancelCheck ends it at once.
  Bus()->SetCheckTimeout(std::chrono::minutes(1));
  start = std::chrono::steady_clock::now();
  auto check = std::async(std::launch::async, [&] {
    Variant silent;
    const HRESULT hr = m_checks->CheckDevice(Bstr("1.1.9"), &silent);
    return hr == S_OK && silent.IsEmpty();
  });
  while (check.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
    m_checks->CancelCheck();
  }
  EXPECT_TRUE(check.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(VirtualBusTest, ConcurrentSendersGetEveryEventOnTheMainThreadInOrder) {
  ASSERT_EQ(Connect(), DeviceOpenErrorNoError);
  constexpr int kPerThread = 200;
  std::atomic<int> failures{0};
  auto sender = [&](std::uint16_t address, bool reads) {
    for (int i = 0; i < kPerThread; ++i) {
      std::int32_t writeError = -1;
      const HRESULT hr =
          reads ? Read(address, &writeError)
                : Write(address, Variant::I2(static_cast<std::int16_t>(i)), &writeError);
      if (hr != S_OK || writeError != 0) ++failures;
    }
  };
  std::thread worker(sender, kGa123, false);
  std::thread checker(sender, kGa124, true);
  std::thread injector([&] {
    for (int i = 0; i < kPerThread; ++i) Bus()->InjectGroupWrite(0x1105, 1, {0x01});
  });
  // The main thread delivers while the others still send.
  std::size_t delivered = 0;
  while (delivered < 3 * kPerThread) {
    m_loop.RunPending();
    delivered = m_sink.events.size();
    std::this_thread::yield();
  }
  worker.join();
  checker.join();
  injector.join();
  const std::vector<Event> events = Deliver();
  EXPECT_EQ(failures, 0);
  ASSERT_EQ(events.size(), 3u * kPerThread);
  int writes = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].number, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(events[i].thread, std::this_thread::get_id());
    if (events[i].kind == Kind::WriteConfirm) {
      const std::int16_t value = static_cast<std::int16_t>(writes++);
      EXPECT_EQ(events[i].data, Variant::Bytes({static_cast<std::uint8_t>(value >> 8),
                                                static_cast<std::uint8_t>(value & 0xFF)}));
    }
  }
  EXPECT_EQ(writes, kPerThread);
}

TEST_F(VirtualBusTest, ChooserListsTheDriversAndKeepsTheDefault) {
  constexpr Guid kOther = GuidLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}");
  m_component.RegisterDriver({kOther, "Other", "host:1", [] { return nullptr; }});
  std::optional<InterfaceChoice> choice;
  std::vector<InterfaceInfo> offered;
  RegisterBusClasses(m_component, m_loop, *m_settings,
                     [&](const std::vector<InterfaceInfo>& interfaces, const std::string&) {
                       offered = interfaces;
                       return choice;
                     });
  std::shared_ptr<BusInterfaceChooser> chooser;
  ASSERT_EQ(m_component.CreateBusInterfaceChooser(&chooser), S_OK);

  InterfaceInfo info;
  ASSERT_EQ(chooser->GetDefaultInterface(&info), S_OK);
  EXPECT_EQ(info.name, kVirtualBusName) << "the first registered interface without a choice";
  EXPECT_EQ(info.interfaceGuid, kVirtualBusGuid);
  EXPECT_EQ(info.isDefault, 1);

  EXPECT_EQ(chooser->SetDefaultInterface("Nothing"), E_INVALIDARG);
  ASSERT_EQ(chooser->SetDefaultInterface("Other"), S_OK);
  EXPECT_EQ(m_settings->GetText(kBusAccessKey, kDefaultInterfaceValue), "Other");
  ASSERT_EQ(chooser->GetDefaultInterface(&info), S_OK);
  EXPECT_EQ(info.interfaceGuid, kOther);
  EXPECT_EQ(info.connectionParameter, "host:1");

  ASSERT_EQ(chooser->ChooseInterface("Other", -1, &info), S_OK);
  EXPECT_TRUE(info.name.empty()) << "cancelled";
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].isDefault, 0);
  EXPECT_EQ(offered[1].isDefault, 1);

  choice = InterfaceChoice{kVirtualBusName, "name=x;devices=1.1.1"};
  ASSERT_EQ(chooser->ChooseInterface("Other", -1, &info), S_OK);
  EXPECT_EQ(info.name, kVirtualBusName);
  EXPECT_EQ(info.interfaceGuid, kVirtualBusGuid);
  EXPECT_EQ(info.isDefault, 0);
  EXPECT_EQ(info.connectionParameter, "name=x;devices=1.1.1");
  ASSERT_EQ(chooser->SetDefaultInterface(kVirtualBusName), S_OK);

  // A new chooser (a new start) reads the same choice back.
  RegisterBusClasses(m_component, m_loop, *m_settings);
  ASSERT_EQ(m_component.CreateBusInterfaceChooser(&chooser), S_OK);
  ASSERT_EQ(chooser->GetDefaultInterface(&info), S_OK);
  EXPECT_EQ(info.name, kVirtualBusName);
  EXPECT_EQ(info.connectionParameter, "name=x;devices=1.1.1");
  EXPECT_EQ(chooser->ChooseInterface("", -1, &info), E_FAIL) << "no dialog without a GUI";
}

TEST(VirtualBusParameter, ReadsEverySettingAndRefusesMalformedText) {
  const auto parameter = ParseVirtualBusParameter(
      " name=a b ; devices=01.01.001,15.15.255 ;answer=1/2/3:0c33, 1/600:01, 7:ff;"
      "checktimeout=250;");
  ASSERT_TRUE(parameter);
  EXPECT_EQ(parameter->name, "a b");
  EXPECT_EQ(parameter->devices, (std::set<std::uint16_t>{0x1101, 0xFFFF}));
  EXPECT_EQ(parameter->answers.at(kGa123), (Bytes{0x0C, 0x33}));
  EXPECT_EQ(parameter->answers.at((1 << 11) | 600), Bytes{0x01});
  EXPECT_EQ(parameter->answers.at(7), Bytes{0xFF});
  EXPECT_EQ(parameter->checkTimeout, std::chrono::milliseconds(250));
  EXPECT_TRUE(ParseVirtualBusParameter(""));

  for (const char* bad :
       {"devices=1.1", "devices=1.16.1", "devices=1.1.256", "answer=1/2/3", "answer=1/2/3:0",
        "answer=1/2/3:", "answer=1/8/3:01", "answer=32/1:01", "answer=1/2048:01", "answer=65536:01",
        "answer=1/2/3:zz", "colour=red", "name=a;name=b", "checktimeout=-1", "devices"}) {
    EXPECT_FALSE(ParseVirtualBusParameter(bad)) << bad;
  }
}

}  // namespace
