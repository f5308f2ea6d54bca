// DeviceCheckThread: choosing the address, checking it, applying the answer, waiting.
#include "devices/device_check_thread.h"

#include <algorithm>

#include "devices/device_check_clock.h"
#include "devices/device_service_hand_off.h"
#include "devices/failed_devices.h"
#include "knx/device_check_service.h"
#include "platform/auto_reset_event.h"
#include "platform/code_page.h"
#include "project/device_list.h"
#include "project/dorazivaz_doc.h"

namespace {

constexpr std::int64_t kLongestWaitMs = 1000;

// True when `answer` names the device at `address`: the same text, or the same address when
// the record keeps an unpadded text such as "1.1.5".
bool SameDevice(const std::string& answer, const std::string& address) {
  if (answer == address) return true;
  const std::int32_t value = ParsePhysicalAddress(address);
  return value >= 0 && !answer.empty() && ParsePhysicalAddress(answer) == value;
}

}  // namespace

DeviceCheckThread::DeviceCheckThread(DeviceCheckClock& clock, DeviceServiceHandOff* handOff,
                                     std::function<void(DeviceStateMessage)> post)
    : m_clock(clock), m_handOff(handOff), m_post(std::move(post)) {}

void DeviceCheckThread::Run(CDORAzivazDoc& doc) {
  {
    std::lock_guard lock(m_mutex);
    m_pingTime = doc.Settings().pingTime;
  }
  AutoResetEvent& quit = *doc.DeviceCheckQuitEvent();
  for (;;) {
    TakeDeliveredService();
    // A quit that arrived meanwhile goes before a check, which may block for seconds.
    if (m_clock.Wait(quit, 0)) {
      if (OnQuitEvent()) continue;
      return;
    }
    const std::int64_t start = m_clock.NowMs();
    std::optional<std::string> address = doc.CheckQueue().TakeNext();
    if (!address && m_pingTime > 0 &&
        (!m_roundStart || start >= *m_roundStart + std::int64_t{m_pingTime} * 1000)) {
      m_roundStart = start;
      address = NextRoundAddress(doc);
    }
    if (address) {
      const std::uint64_t cancels = Cancels();
      ApplyAnswer(doc, *address, Check(doc, *address), cancels);
    }
    if (m_clock.Wait(quit, WaitMs(doc, m_clock.NowMs())) && !OnQuitEvent()) return;
  }
}

std::uint32_t DeviceCheckThread::WaitMs(CDORAzivazDoc& doc, std::int64_t now) const {
  if (!doc.CheckQueue().Empty()) return 0;
  const std::int32_t pingTime = m_pingTime;
  if (pingTime <= 0 || !m_roundStart) return kLongestWaitMs;
  const std::int64_t due = *m_roundStart + std::int64_t{pingTime} * 1000;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(due - now, 0, kLongestWaitMs));
}

void DeviceCheckThread::TakeDeliveredService() {
  if (m_handOff == nullptr) return;
  {
    std::lock_guard lock(m_mutex);
    if (m_service) return;
  }
  std::shared_ptr<DeviceCheckService> service = m_handOff->TakeDeviceService();
  if (!service) return;
  std::lock_guard lock(m_mutex);
  m_service = std::move(service);
}

bool DeviceCheckThread::OnQuitEvent() {
  // Read before the drop: once the flag is clear, the main thread reconnects and clears the
  // restart request, and a later read would end the thread.
  const bool restart = m_handOff != nullptr && m_handOff->RestartRequested();
  std::shared_ptr<DeviceCheckService> dropped;
  {
    std::lock_guard lock(m_mutex);
    dropped = std::move(m_service);
  }
  dropped.reset();
  if (m_handOff != nullptr) m_handOff->DeviceServiceDropped();
  return restart;
}

std::optional<std::string> DeviceCheckThread::NextRoundAddress(CDORAzivazDoc& doc) {
  DeviceList& devices = doc.Devices();
  std::lock_guard lock(devices.Lock());
  if (devices.Size() == 0) return std::nullopt;
  std::size_t next = 0;
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    if (devices.At(i).addressText == m_roundLast) {
      next = i + 1 < devices.Size() ? i + 1 : 0;
      break;
    }
  }
  m_roundLast = devices.At(next).addressText;
  return m_roundLast;
}

std::string DeviceCheckThread::Check(CDORAzivazDoc& doc, const std::string& address) {
  if (doc.Simulation()) return (m_random() & 1) != 0 ? address : std::string();
  std::shared_ptr<DeviceCheckService> service;
  {
    std::lock_guard lock(m_mutex);
    service = m_service;
  }
  if (!service) return kUnknownAnswer;
  Variant result;
  if (Failed(service->CheckDevice(Variant::Bstr(AnsiToUtf16(address)), &result)))
    return kUnknownAnswer;
  const SafeArray* array = result.parray();
  if (result.vt() != (VT_ARRAY | VT_UI4) || array == nullptr || array->elements.empty()) return {};
  return FormatPhysicalAddress(static_cast<PhysicalAddress>(array->elements[0].ulVal()));
}

void DeviceCheckThread::ApplyAnswer(CDORAzivazDoc& doc, const std::string& address,
                                    const std::string& answer, std::uint64_t cancelsBefore) {
  std::lock_guard lock(doc.DeviceListLock());
  // A cancelled check says nothing about the device: the project is being cleared, the
  // interval switched off, or the document closed.
  if (doc.Stopping() || Cancels() != cancelsBefore) return;
  // An address that is no device of the project (a client's) was checked, but changes nothing.
  DeviceRecord* device = doc.Devices().Find(address);
  if (device == nullptr) return;
  bool listChanged = false;
  if (SameDevice(answer, address)) {
    device->retryCount = 0;
    m_post({kDeviceStateGood, device, address});
    listChanged = doc.FailedDevices().Remove(address);
  } else if (answer == kUnknownAnswer) {
    m_post({kDeviceStateUnknown, device, address});
    listChanged = doc.FailedDevices().Add(address);
  } else if (device->retryCount == 0) {
    // No answer, or another device answered: asked once more at once before it counts.
    device->retryCount = 1;
    doc.CheckQueue().Add(address);
  } else {
    m_post({kDeviceStateFailed, device, address});
    listChanged = doc.FailedDevices().Add(address);
  }
  if (listChanged) RecomputeFailedDevices(doc);
}

void DeviceCheckThread::CancelCheck() {
  std::lock_guard lock(m_mutex);
  ++m_cancels;
  if (m_service) m_service->CancelCheck();
}

std::uint64_t DeviceCheckThread::Cancels() {
  std::lock_guard lock(m_mutex);
  return m_cancels;
}

void DeviceCheckThread::SetPingTime(CDORAzivazDoc& doc, std::int32_t seconds) {
  std::lock_guard lock(m_mutex);
  doc.Settings().pingTime = seconds;
  m_pingTime = seconds;
}
