// Tests of the registries of the bus access component, and of the link state that its group
// value service passes on.
#include "knx/bus_component.h"

#include <gtest/gtest.h>

#include "knx/bus_errors.h"
#include "knx/driver_group_value_service.h"
#include "platform/event_loop.h"

namespace {

// A driver that only remembers the parameter it was opened with.
class RecordingDriver : public BusDriver {
 public:
  std::int32_t Open(const std::string& parameter) override {
    opened = parameter;
    return DeviceOpenErrorNoError;
  }
  void Close() override {}
  void SetListener(BusDriverListener* l) override { listener = l; }
  std::int32_t SendGroupRead(std::uint16_t, std::int32_t, std::int32_t) override {
    return DeviceWriteErrorNoError;
  }
  std::int32_t SendGroupWrite(std::uint16_t, std::int32_t, std::int32_t, bool,
                              const std::vector<std::uint8_t>&) override {
    return DeviceWriteErrorNoError;
  }
  std::optional<std::uint16_t> CheckDevice(std::uint16_t) override { return std::nullopt; }
  void CancelCheck() override {}

  std::string opened;
  BusDriverListener* listener = nullptr;
};

// Records the connection-state events; the telegram events are not looked at here.
class LinkStateSink : public BusEventSink {
 public:
  HRESULT OnGroupValueRead(std::int32_t, std::int32_t, std::int32_t, const Variant&) override {
    return S_OK;
  }
  HRESULT OnGroupValueWrite(std::int32_t, std::int32_t, std::int32_t, const Variant&) override {
    return S_OK;
  }
  HRESULT OnGroupValueResponse(std::int32_t, std::int32_t, std::int32_t, const Variant&) override {
    return S_OK;
  }
  HRESULT OnReadConfirm(std::int32_t, std::int32_t, std::int32_t, std::int16_t,
                        const Variant&) override {
    return S_OK;
  }
  HRESULT OnWriteConfirm(std::int32_t, std::int32_t, std::int32_t, std::int16_t,
                         const Variant&) override {
    return S_OK;
  }
  HRESULT OnConnectionState(bool connected) override {
    links.push_back(connected);
    return S_OK;
  }
  std::vector<bool> links;
};

class NullDevice : public BusDevice {
 public:
  HRESULT Open(const Guid&, const Variant&, std::int32_t*) override { return S_OK; }
  HRESULT SetMode(std::int32_t) override { return S_OK; }
  HRESULT QueryAttachPoint(std::shared_ptr<BusDriver>*) override { return E_FAIL; }
};

constexpr Guid kTunnel = GuidLiteral("{11111111-2222-3333-4444-555555555555}");
constexpr Guid kVirtual = GuidLiteral("{66666666-7777-8888-9999-AAAAAAAAAAAA}");

BusDriverEntry Entry(const Guid& guid, std::string name) {
  return {guid, std::move(name), "", [] { return std::make_shared<RecordingDriver>(); }};
}

}  // namespace

TEST(BusComponent, DriversAreFoundByInterfaceGuid) {
  BusComponent component;
  EXPECT_EQ(component.CreateDriver(kTunnel), nullptr);

  EXPECT_TRUE(component.RegisterDriver(Entry(kTunnel, "Tunnel")));
  EXPECT_TRUE(component.RegisterDriver(Entry(kVirtual, "Virtual")));
  // A second driver for the same interface, or one without a factory, is refused.
  EXPECT_FALSE(component.RegisterDriver(Entry(kTunnel, "Other")));
  EXPECT_FALSE(component.RegisterDriver(
      {GuidLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}"), "None", "", nullptr}));

  const std::vector<BusDriverEntry> drivers = component.Drivers();
  ASSERT_EQ(drivers.size(), 2u);
  EXPECT_EQ(drivers[0].name, "Tunnel");
  EXPECT_EQ(drivers[1].name, "Virtual");
  EXPECT_EQ(component.FindDriver(kVirtual)->name, "Virtual");
  EXPECT_FALSE(component.FindDriver(GUID_NULL).has_value());

  // Each creation gives a fresh driver.
  std::shared_ptr<BusDriver> first = component.CreateDriver(kTunnel);
  std::shared_ptr<BusDriver> second = component.CreateDriver(kTunnel);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(component.CreateDriver(GUID_NULL), nullptr);
}

TEST(BusComponent, ClassesComeFromTheirFactories) {
  BusComponent component;
  std::shared_ptr<BusDevice> device;
  EXPECT_EQ(component.CreateBusDevice(&device), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(component.CreateBusDevice(nullptr), E_INVALIDARG);

  BusClassFactories factories;
  factories.device = [] { return std::make_shared<NullDevice>(); };
  factories.groupValueService = [] { return std::shared_ptr<GroupValueService>(); };
  component.SetClassFactories(factories);
  EXPECT_EQ(component.CreateBusDevice(&device), S_OK);
  EXPECT_NE(device, nullptr);
  std::shared_ptr<GroupValueService> service;
  EXPECT_EQ(component.CreateGroupValueService(&service), E_OUTOFMEMORY);
  std::shared_ptr<DeviceCheckService> check;
  EXPECT_EQ(component.CreateDeviceCheckService(&check), REGDB_E_CLASSNOTREG);
  std::shared_ptr<BusInterfaceChooser> chooser;
  EXPECT_EQ(component.CreateBusInterfaceChooser(&chooser), REGDB_E_CLASSNOTREG);
}

TEST(DriverGroupValueService, ConnectionStatesReachTheSinksOnTheMainThread) {
  EventLoop loop;
  DriverGroupValueService service(loop);
  auto driver = std::make_shared<RecordingDriver>();
  ASSERT_EQ(service.AttachDevice(driver), S_OK);
  ASSERT_NE(driver->listener, nullptr);
  LinkStateSink sink;
  std::uint32_t cookie = 0;
  ASSERT_EQ(service.Advise(&sink, &cookie), S_OK);
  driver->listener->OnConnectionState(false);
  driver->listener->OnConnectionState(true);
  EXPECT_TRUE(sink.links.empty());  // the driver's thread only posts them
  loop.RunPending();
  EXPECT_EQ(sink.links, (std::vector<bool>{false, true}));
  // Not delivered once unadvised.
  driver->listener->OnConnectionState(false);
  service.Unadvise(cookie);
  loop.RunPending();
  EXPECT_EQ(sink.links.size(), 2u);
}
