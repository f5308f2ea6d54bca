// DriverGroupValueService: sends through the driver and posts its reports as sink events.
#include "knx/driver_group_value_service.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "knx/group_data_layout.h"

namespace {

// The group address of a call: a VT_BSTR with a decimal number 0-65535.
std::optional<std::uint16_t> GroupAddressOf(const Variant& address) {
  if (address.vt() != VT_BSTR) return std::nullopt;
  const std::u16string& text = address.bstrVal();
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  if (value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

// The advised sinks. Shared with the posted events so that an event queued on the main thread
// stays safe to run after the service is gone.
class DriverGroupValueService::SinkList {
 public:
  std::uint32_t Add(BusEventSink* sink) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t cookie = ++m_lastCookie;
    m_sinks.emplace_back(cookie, sink);
    return cookie;
  }

  bool Remove(std::uint32_t cookie) {
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                 [&](const auto& entry) { return entry.first == cookie; });
    if (it == m_sinks.end()) return false;
    m_sinks.erase(it);
    return true;
  }

  // Calls `event` for every sink advised now that is still advised when its turn comes (a sink
  // may unadvise itself or another one from inside the event). No lock is held during a call.
  template <typename Event>
  void Deliver(const Event& event) {
    std::vector<std::uint32_t> cookies;
    {
      std::lock_guard lock(m_mutex);
      for (const auto& entry : m_sinks) cookies.push_back(entry.first);
    }
    for (std::uint32_t cookie : cookies) {
      if (BusEventSink* sink = Find(cookie)) event(*sink);
    }
  }

 private:
  BusEventSink* Find(std::uint32_t cookie) {
    std::lock_guard lock(m_mutex);
    for (const auto& entry : m_sinks) {
      if (entry.first == cookie) return entry.second;
    }
    return nullptr;
  }

  std::mutex m_mutex;
  std::uint32_t m_lastCookie = 0;
  std::vector<std::pair<std::uint32_t, BusEventSink*>> m_sinks;
};

// The driver's listener: numbers each report and posts it to the main thread as an event.
class DriverGroupValueService::Receiver : public BusDriverListener {
 public:
  Receiver(MainThread& mainThread, std::shared_ptr<SinkList> sinks)
      : m_mainThread(mainThread), m_sinks(std::move(sinks)) {}

  void OnGroupTelegram(const GroupTelegram& telegram) override {
    if (telegram.apci != APciValueRead && telegram.apci != APciValueWrite &&
        telegram.apci != APciValueResponse) {
      return;
    }
    Post(telegram,
         [apci = telegram.apci](BusEventSink& sink, std::int32_t address, std::int32_t number,
                                std::int32_t priority, const Variant& data) {
           if (apci == APciValueRead) {
             sink.OnGroupValueRead(address, number, priority, data);
           } else if (apci == APciValueWrite) {
             sink.OnGroupValueWrite(address, number, priority, data);
           } else {
             sink.OnGroupValueResponse(address, number, priority, data);
           }
         });
  }

  void OnConnectionState(bool connected) override {
    m_mainThread.Post([sinks = m_sinks, connected] {
      sinks->Deliver([&](BusEventSink& sink) { sink.OnConnectionState(connected); });
    });
  }

  void OnGroupConfirm(const GroupTelegram& telegram, bool error) override {
    // Only the system's own reads and writes are confirmed as events.
    if (telegram.apci != APciValueRead && telegram.apci != APciValueWrite) return;
    const std::int16_t flag = error ? VARIANT_TRUE : VARIANT_FALSE;
    Post(telegram,
         [apci = telegram.apci, flag](BusEventSink& sink, std::int32_t address, std::int32_t number,
                                      std::int32_t priority, const Variant& data) {
           if (apci == APciValueRead) {
             sink.OnReadConfirm(address, number, priority, flag, data);
           } else {
             sink.OnWriteConfirm(address, number, priority, flag, data);
           }
         });
  }

 private:
  template <typename Raise>
  void Post(const GroupTelegram& telegram, Raise raise) {
    // The driver calls one report at a time, so numbers follow the order of the posts.
    const std::int32_t number = ++m_lastNumber;
    m_mainThread.Post([sinks = m_sinks, raise, number, address = telegram.groupAddress,
                       priority = telegram.priority, bytes = telegram.data] {
      const Variant data = GroupDataVariant(bytes);
      sinks->Deliver([&](BusEventSink& sink) { raise(sink, address, number, priority, data); });
    });
  }

  MainThread& m_mainThread;
  std::shared_ptr<SinkList> m_sinks;
  std::atomic<std::int32_t> m_lastNumber{0};
};

DriverGroupValueService::DriverGroupValueService(MainThread& mainThread)
    : m_sinks(std::make_shared<SinkList>()),
      m_receiver(std::make_unique<Receiver>(mainThread, m_sinks)) {}

DriverGroupValueService::~DriverGroupValueService() {
  // Returns only when the driver no longer runs a call into the receiver.
  if (m_device) m_device->SetListener(nullptr);
}

std::shared_ptr<BusDriver> DriverGroupValueService::Device() {
  std::lock_guard lock(m_mutex);
  return m_device;
}

HRESULT DriverGroupValueService::AttachDevice(std::shared_ptr<BusDriver> device) {
  if (!device) return E_INVALIDARG;
  std::shared_ptr<BusDriver> previous;
  {
    std::lock_guard lock(m_mutex);
    previous = std::exchange(m_device, device);
  }
  if (previous && previous != device) previous->SetListener(nullptr);
  device->SetListener(m_receiver.get());
  return S_OK;
}

HRESULT DriverGroupValueService::ReadGroupValue(const Variant& address, std::int32_t priority,
                                                std::int32_t routingCounter,
                                                std::int32_t* writeError) {
  const std::optional<std::uint16_t> groupAddress = GroupAddressOf(address);
  if (!groupAddress || writeError == nullptr) return E_INVALIDARG;
  const std::shared_ptr<BusDriver> device = Device();
  if (!device) return E_FAIL;
  const std::int32_t result = device->SendGroupRead(*groupAddress, priority, routingCounter);
  if (result < 0) return result;
  *writeError = result;
  return S_OK;
}

HRESULT DriverGroupValueService::WriteGroupValue(const Variant& address, std::int32_t priority,
                                                 std::int32_t routingCounter,
                                                 std::int32_t shortForm, const Variant& data,
                                                 std::int32_t* writeError) {
  const std::optional<std::uint16_t> groupAddress = GroupAddressOf(address);
  if (!groupAddress || writeError == nullptr) return E_INVALIDARG;
  const std::optional<std::vector<std::uint8_t>> bytes = GroupDataBytes(data);
  if (!bytes) return DISP_E_TYPEMISMATCH;
  const std::shared_ptr<BusDriver> device = Device();
  if (!device) return E_FAIL;
  const std::int32_t result =
      device->SendGroupWrite(*groupAddress, priority, routingCounter, shortForm != 0, *bytes);
  if (result < 0) return result;
  *writeError = result;
  return S_OK;
}

HRESULT DriverGroupValueService::Advise(BusEventSink* sink, std::uint32_t* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  *cookie = m_sinks->Add(sink);
  return S_OK;
}

HRESULT DriverGroupValueService::Unadvise(std::uint32_t cookie) {
  return m_sinks->Remove(cookie) ? S_OK : E_INVALIDARG;
}
