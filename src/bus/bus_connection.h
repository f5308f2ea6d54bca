// BusConnection: the document's link to the bus access component and the hand-off of its two
// services to the worker threads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "devices/device_service_hand_off.h"
#include "knx/bus_component.h"
#include "knx/guid.h"
#include "platform/hresult.h"

class CDORAzivazDoc;
class BusEventSink;
class DeviceCheckService;
class GroupValueService;

// Message numbers of the bus link.
constexpr unsigned kMsgComponentNotCreated = 129;  // insert: the HRESULT
constexpr unsigned kMsgOpenFailed = 130;           // insert: the HRESULT
constexpr unsigned kMsgOpenError = 131;            // insert: the DeviceOpenError's name
constexpr unsigned kMsgAdviseFailed = 136;
constexpr unsigned kMsgNoDeviceCheckService = 153;
constexpr unsigned kMsgMakeDefaultInterface = 61207;  // Yes/No
constexpr unsigned kCmdSwitchInterface = 32868;

// The text an HRESULT is inserted into messages as ("0x80040154"); the language strings format
// it with "0x%08lX".
std::string HresultInsert(HRESULT hr);

// Connect, Disconnect and SwitchInterface run on the main thread. The services are handed to
// the worker threads as shared pointers through two "streams", each taken at most once:
//
// Bus worker (group stream):
//   - GroupStreamReady() is set by Connect. TakeGroupStream() returns the new service, clears
//     the ready flag and sets WorkerHoldsProxy(); the worker replaces any service it held.
//   - When its quit event wakes it, the worker reads Restarting() first, then calls
//     DropGroupProxy() (clears WorkerHoldsProxy()) and drops its pointer; it goes on when
//     Restarting() was set.
//
// Device check thread (device stream):
//   - DeviceServiceDelivered() is set by Connect once the DeviceCheckService exists.
//   - While that flag is set and the thread holds no service, TakeDeviceStream() gives it the
//     service (once; null afterwards or when there is none).
//   - When its quit event (DOR_AZIVAZ_QUIT_THREAD) wakes it, the thread reads Restarting()
//     first, then drops its pointer and calls DropDeviceProxy() (clears the delivered flag,
//     also when it never took the service); it goes on when Restarting() was set.
//
// SwitchInterface sets the restart flag, cancels a running check, wakes each thread whose
// flag is set and waits until it has cleared it; then it re-connects, clears the restart flag,
// and the threads take the new services from the streams in their next loop. A thread that
// holds nothing is not woken: it has nothing to drop, and a wake-up that it saw only after the
// restart flag was cleared again would end it.
class BusConnection : public DeviceServiceHandOff {
 public:
  explicit BusConnection(const BusComponent& component = BusComponent::Default());
  ~BusConnection();
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  // The sink that Connect advises (the telegram reception); set before the first Connect.
  void SetEventSink(BusEventSink* sink) { m_sink = sink; }
  // Called over and over on the main thread while SwitchInterface waits for a worker thread and
  // while Connect waits for the interface to open (the window repaints there; Open then runs
  // on a thread of its own). Without a hook the worker wait sleeps a millisecond per round and
  // Open blocks the main thread.
  void SetWaitHook(std::function<void()> hook) { m_waitHook = std::move(hook); }
  // Told true when Connect starts opening the interface and false once Open has returned,
  // before any message of the connection (the window shows that it is connecting).
  void SetConnectingHook(std::function<void(bool)> hook) { m_connectingHook = std::move(hook); }
  // The pause after SetMode before Open (100 ms).
  void SetModeSettleTime(std::chrono::milliseconds time) { m_modeSettle = time; }

  // Opens the interface and creates both services; messages through the document's prompt
  // unless `silent`. Does nothing while a GroupValueService exists.
  void Connect(CDORAzivazDoc& doc, bool silent);
  // Releases everything Connect made, also a stream no worker took.
  void Disconnect();
  // Command 32868: lets the user choose an interface and re-connects (not silent).
  void SwitchInterface(CDORAzivazDoc& doc);
  // Ends a running device check (clearing the project, check interval 0, SwitchInterface).
  void CancelCheck();

  // --- State (main thread) ----------------------------------------------------------------
  bool Connected() const { return m_groupService != nullptr; }
  GroupValueService* Service() const { return m_groupService.get(); }
  const Guid& InterfaceGuid() const { return m_interfaceGuid; }
  const std::string& InterfaceName() const { return m_interfaceName; }
  const std::string& ConnectionParameter() const { return m_connectionParameter; }
  std::uint32_t AdviseCookie() const { return m_cookie; }
  // Whether the link to the interface is up: set by Connect from the open result, then by the
  // interface's connection-state events (SetLinkUp); false while disconnected. The status bar
  // shows it.
  bool LinkUp() const { return m_linkUp && Connected(); }
  void SetLinkUp(bool up) { m_linkUp = up; }

  // --- Hand-off (any thread) ----------------------------------------------------------------
  bool GroupStreamReady() const { return m_groupStreamReady; }
  bool WorkerHoldsProxy() const { return m_workerHoldsProxy; }
  std::shared_ptr<GroupValueService> TakeGroupStream();
  void DropGroupProxy() { m_workerHoldsProxy = false; }

  bool DeviceServiceDelivered() const { return m_deviceServiceDelivered; }
  std::shared_ptr<DeviceCheckService> TakeDeviceStream();
  void DropDeviceProxy() { m_deviceServiceDelivered = false; }

  bool Restarting() const { return m_restart; }

  // DeviceServiceHandOff, for the device check thread.
  std::shared_ptr<DeviceCheckService> TakeDeviceService() override { return TakeDeviceStream(); }
  void DeviceServiceDropped() override { DropDeviceProxy(); }
  bool RestartRequested() override { return Restarting(); }

 private:
  void Report(CDORAzivazDoc& doc, bool silent, unsigned id, const std::string& insert = {});
  void WaitUntilClear(const std::atomic<bool>& flag);

  const BusComponent& m_component;
  BusEventSink* m_sink = nullptr;
  std::function<void()> m_waitHook;
  std::function<void(bool)> m_connectingHook;
  std::chrono::milliseconds m_modeSettle{100};

  Guid m_interfaceGuid;
  std::string m_interfaceName;
  std::string m_connectionParameter;
  std::shared_ptr<GroupValueService> m_groupService;
  std::shared_ptr<DeviceCheckService> m_deviceService;
  std::uint32_t m_cookie = 0;
  bool m_linkUp = false;

  std::mutex m_streamMutex;  // guards the two streams
  std::shared_ptr<GroupValueService> m_groupStream;
  std::shared_ptr<DeviceCheckService> m_deviceStream;
  std::atomic<bool> m_groupStreamReady{false};
  std::atomic<bool> m_workerHoldsProxy{false};
  std::atomic<bool> m_deviceServiceDelivered{false};
  std::atomic<bool> m_restart{false};
};
