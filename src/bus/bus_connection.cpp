// BusConnection: Connect, Disconnect, SwitchInterface and the hand-off of the services.
#include "bus/bus_connection.h"

#include <cstdio>
#include <thread>

#include "bus/pumped_wait.h"
#include "knx/bus_errors.h"
#include "knx/bus_event_sink.h"
#include "knx/device_check_service.h"
#include "knx/group_value_service.h"
#include "platform/auto_reset_event.h"
#include "platform/code_page.h"
#include "platform/prompt.h"
#include "platform/variant.h"
#include "project/dorazivaz_doc.h"

namespace {

// The device is switched to group communication before it is opened.
constexpr std::int32_t kGroupMode = 5;

}  // namespace

std::string HresultInsert(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

BusConnection::BusConnection(const BusComponent& component) : m_component(component) {}

BusConnection::~BusConnection() {
  Disconnect();
}

void BusConnection::Report(CDORAzivazDoc& doc, bool silent, unsigned id,
                           const std::string& insert) {
  if (!silent) doc.GetPrompt().Show(id, insert);
}

void BusConnection::Connect(CDORAzivazDoc& doc, bool silent) {
  if (m_groupService) return;

  if (m_interfaceGuid.IsNull()) {
    std::shared_ptr<BusInterfaceChooser> chooser;
    InterfaceInfo info;
    if (Succeeded(m_component.CreateBusInterfaceChooser(&chooser)) &&
        Succeeded(chooser->GetDefaultInterface(&info))) {
      m_interfaceGuid = info.interfaceGuid;
      m_connectionParameter = info.connectionParameter;
    }
  }

  std::shared_ptr<BusDevice> device;
  HRESULT hr = m_component.CreateBusDevice(&device);
  if (Failed(hr)) return Report(doc, silent, kMsgComponentNotCreated, HresultInsert(hr));
  // Opening may take seconds (a tunnel server that does not answer): with a wait hook the main
  // thread keeps pumping meanwhile.
  if (m_connectingHook) m_connectingHook(true);
  device->SetMode(kGroupMode);
  SleepPumping(m_modeSettle, m_waitHook);

  std::int32_t openError = DeviceOpenErrorNoError;
  const Guid interfaceGuid = m_interfaceGuid;
  const Variant parameter = Variant::Bstr(AnsiToUtf16(m_connectionParameter));
  RunPumping([&] { hr = device->Open(interfaceGuid, parameter, &openError); }, m_waitHook);
  if (m_connectingHook) m_connectingHook(false);
  if (Failed(hr)) return Report(doc, silent, kMsgOpenFailed, HresultInsert(hr));
  m_linkUp = openError == DeviceOpenErrorNoError;
  if (openError != DeviceOpenErrorNoError)
    Report(doc, silent, kMsgOpenError, DeviceOpenErrorName(openError));

  std::shared_ptr<GroupValueService> service;
  hr = m_component.CreateGroupValueService(&service);
  if (Failed(hr)) return Report(doc, silent, kMsgComponentNotCreated, HresultInsert(hr));

  std::shared_ptr<BusDriver> attachPoint;
  hr = device->QueryAttachPoint(&attachPoint);
  if (Succeeded(hr)) hr = service->AttachDevice(attachPoint);
  if (Failed(hr)) return Report(doc, silent, kMsgOpenFailed, HresultInsert(hr));

  std::uint32_t cookie = 0;
  if (!m_sink || Failed(service->Advise(m_sink, &cookie)))
    return Report(doc, silent, kMsgAdviseFailed);
  m_groupService = service;
  m_cookie = cookie;
  {
    std::lock_guard lock(m_streamMutex);
    m_groupStream = std::move(service);
  }
  m_groupStreamReady = true;

  std::shared_ptr<DeviceCheckService> checkService;
  if (Failed(m_component.CreateDeviceCheckService(&checkService)))
    return Report(doc, silent, kMsgNoDeviceCheckService);
  checkService->AttachDevice(attachPoint);
  m_deviceService = checkService;
  {
    std::lock_guard lock(m_streamMutex);
    m_deviceStream = std::move(checkService);
  }
  m_deviceServiceDelivered = true;
}

void BusConnection::Disconnect() {
  {
    std::lock_guard lock(m_streamMutex);
    if (m_groupStreamReady.exchange(false)) m_groupStream.reset();
    m_deviceStream.reset();
  }
  m_linkUp = false;
  if (m_groupService) {
    m_groupService->Unadvise(m_cookie);
    m_cookie = 0;
    m_deviceService.reset();
    m_groupService.reset();
  }
}

std::shared_ptr<GroupValueService> BusConnection::TakeGroupStream() {
  std::lock_guard lock(m_streamMutex);
  if (!m_groupStreamReady) return nullptr;
  m_groupStreamReady = false;
  m_workerHoldsProxy = true;
  return std::move(m_groupStream);
}

std::shared_ptr<DeviceCheckService> BusConnection::TakeDeviceStream() {
  std::lock_guard lock(m_streamMutex);
  if (!m_deviceServiceDelivered) return nullptr;
  return std::move(m_deviceStream);
}

void BusConnection::CancelCheck() {
  if (m_deviceService) m_deviceService->CancelCheck();
}

void BusConnection::WaitUntilClear(const std::atomic<bool>& flag) {
  while (flag) {
    if (m_waitHook)
      m_waitHook();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void BusConnection::SwitchInterface(CDORAzivazDoc& doc) {
  std::shared_ptr<BusInterfaceChooser> chooser;
  if (Succeeded(m_component.CreateBusInterfaceChooser(&chooser))) {
    InterfaceInfo info;
    if (Succeeded(chooser->ChooseInterface(m_interfaceName, -1, &info))) {
      if (info.name.empty()) return;  // cancelled: the connection stays as it is
      m_interfaceGuid = info.interfaceGuid;
      m_interfaceName = info.name;
      m_connectionParameter = info.connectionParameter;
      if (info.isDefault == 0 &&
          doc.GetPrompt().Ask(kMsgMakeDefaultInterface, {}, PromptKind::Question,
                              PromptButtons::YesNo) == PromptAnswer::Yes) {
        chooser->SetDefaultInterface(info.name);
      }
    }
  }

  m_restart = true;
  CancelCheck();
  if (m_deviceServiceDelivered && doc.DeviceCheckThreadRunning()) {
    doc.DeviceCheckQuitEvent()->Set();
    WaitUntilClear(m_deviceServiceDelivered);
  }
  if (m_workerHoldsProxy && doc.BusWorkerThreadRunning()) {
    doc.BusWorkerQuitEvent()->Set();
    WaitUntilClear(m_workerHoldsProxy);
  }
  Disconnect();
  // The device check thread may have left the flag set when it never ran; the new
  // connection delivers afresh.
  m_deviceServiceDelivered = false;
  Connect(doc, false);
  m_restart = false;
}
