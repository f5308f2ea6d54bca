// Fakes of the bus access component's objects that record the calls and fail on demand, and a
// clock the tests move by hand.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "knx/bus_component.h"
#include "platform/seconds_clock.h"

class ManualClock : public SecondsClock {
 public:
  std::int64_t Seconds() override { return now; }
  std::atomic<std::int64_t> now{1'000'000};
};

struct SentTelegram {
  bool write;
  std::string address;
  std::int32_t priority;
  std::int32_t routingCounter;
  std::int32_t shortForm;
  Variant data;
};

class FakeGroupValueService : public GroupValueService {
 public:
  HRESULT AttachDevice(std::shared_ptr<BusDriver>) override { return attachResult; }
  HRESULT ReadGroupValue(const Variant& address, std::int32_t priority, std::int32_t routing,
                         std::int32_t* writeError) override {
    Record({false, Text(address), priority, routing, 0, {}});
    *writeError = writeErrorCode;
    return callResult;
  }
  HRESULT WriteGroupValue(const Variant& address, std::int32_t priority, std::int32_t routing,
                          std::int32_t shortForm, const Variant& data,
                          std::int32_t* writeError) override {
    Record({true, Text(address), priority, routing, shortForm, data});
    *writeError = writeErrorCode;
    return callResult;
  }
  HRESULT Advise(BusEventSink* s, std::uint32_t* cookie) override {
    if (Failed(adviseResult)) return adviseResult;
    sink = s;
    *cookie = 7;
    return S_OK;
  }
  HRESULT Unadvise(std::uint32_t) override {
    sink = nullptr;
    return S_OK;
  }

  std::vector<SentTelegram> Sent() {
    std::lock_guard lock(mutex);
    return sent;
  }

  HRESULT attachResult = S_OK;
  HRESULT adviseResult = S_OK;
  std::atomic<HRESULT> callResult{S_OK};
  std::atomic<std::int32_t> writeErrorCode{0};
  BusEventSink* sink = nullptr;

 private:
  static std::string Text(const Variant& v) {
    return std::string(v.bstrVal().begin(), v.bstrVal().end());
  }
  void Record(SentTelegram t) {
    std::lock_guard lock(mutex);
    sent.push_back(std::move(t));
  }
  std::mutex mutex;
  std::vector<SentTelegram> sent;
};

class FakeDeviceCheckService : public DeviceCheckService {
 public:
  HRESULT AttachDevice(std::shared_ptr<BusDriver>) override { return S_OK; }
  HRESULT CheckDevice(const Variant&, Variant*) override { return S_OK; }
  HRESULT CancelCheck() override {
    ++cancels;
    return S_OK;
  }
  std::atomic<int> cancels{0};
};

class FakeBusDevice : public BusDevice {
 public:
  HRESULT Open(const Guid& guid, const Variant& parameter, std::int32_t* openError) override {
    openThread = std::this_thread::get_id();
    if (duringOpen) duringOpen();
    openedGuid = guid;
    openedParameter = parameter;
    *openError = openErrorCode;
    return openResult;
  }
  HRESULT SetMode(std::int32_t mode) override {
    this->mode = mode;
    return S_OK;
  }
  HRESULT QueryAttachPoint(std::shared_ptr<BusDriver>* attachPoint) override {
    attachPoint->reset();
    return S_OK;
  }
  HRESULT openResult = S_OK;
  std::int32_t openErrorCode = 0;
  // What Open does before it answers (e.g. wait for the caller's thread), and where it ran.
  std::function<void()> duringOpen;
  std::thread::id openThread;
  std::int32_t mode = 0;
  Guid openedGuid;
  Variant openedParameter;
};

class FakeChooser : public BusInterfaceChooser {
 public:
  HRESULT SetDefaultInterface(const std::string& name) override {
    defaultSetTo = name;
    return S_OK;
  }
  HRESULT GetDefaultInterface(InterfaceInfo* info) override {
    *info = defaultInterface;
    return S_OK;
  }
  HRESULT ChooseInterface(const std::string&, std::int32_t, InterfaceInfo* info) override {
    *info = choice;
    return S_OK;
  }
  InterfaceInfo defaultInterface;
  InterfaceInfo choice;
  std::string defaultSetTo;
};

// A component whose classes are the fakes above; each Create of a service makes the next one of
// `services` (or a fresh one), and a class whose `fail...` result is set cannot be created.
struct FakeBusComponent {
  FakeBusComponent() {
    BusClassFactories factories;
    factories.chooser = [this] { return chooser; };
    factories.device = [this]() -> std::shared_ptr<BusDevice> {
      return failDevice ? nullptr : device;
    };
    factories.groupValueService = [this]() -> std::shared_ptr<GroupValueService> {
      if (failGroupService) return nullptr;
      services.push_back(std::make_shared<FakeGroupValueService>());
      if (configure) configure(*services.back());
      return services.back();
    };
    factories.deviceCheckService = [this]() -> std::shared_ptr<DeviceCheckService> {
      return failCheckService ? nullptr : checkService;
    };
    component.SetClassFactories(factories);
  }
  FakeGroupValueService& Service() { return *services.back(); }

  BusComponent component;
  std::shared_ptr<FakeChooser> chooser = std::make_shared<FakeChooser>();
  std::shared_ptr<FakeBusDevice> device = std::make_shared<FakeBusDevice>();
  std::shared_ptr<FakeDeviceCheckService> checkService = std::make_shared<FakeDeviceCheckService>();
  std::vector<std::shared_ptr<FakeGroupValueService>> services;
  std::function<void(FakeGroupValueService&)> configure;
  bool failDevice = false;
  bool failGroupService = false;
  bool failCheckService = false;
};
