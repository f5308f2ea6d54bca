// DeviceSupervision: wires the device check thread, its seams and its commands into a document.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "devices/device_check_thread.h"

class CDORAzivazDoc;
class DeviceAddressDialog;
class DeviceCheckClock;
class DeviceServiceHandOff;
class DeviceViews;
class SettingsStore;
struct DocumentSeams;

// What the device supervision needs besides the document.
struct DeviceCheckWiring {
  SettingsStore& settings;                  // where the interval commands write "PingTime"
  DeviceServiceHandOff* handOff = nullptr;  // the bus connection; null: no bus, checks unknown
  DeviceCheckClock* clock = nullptr;        // null: the steady clock
};

// One per document. The application makes it with InstallDeviceCheck before the document,
// passes the seams to the document's constructor, and then calls RegisterCommands. The main
// window sets its views and dialog when it exists.
class DeviceSupervision : public std::enable_shared_from_this<DeviceSupervision> {
 public:
  explicit DeviceSupervision(const DeviceCheckWiring& wiring);

  // Adds the device commands (32848 to 32853 and the five intervals) to the document.
  void RegisterCommands(CDORAzivazDoc& doc);
  // Main thread; null while headless or when the window goes.
  void SetViews(DeviceViews* views) { m_views = views; }
  void SetDialog(DeviceAddressDialog* dialog) { m_dialog = dialog; }
  DeviceCheckThread& Thread() { return m_thread; }

  // 32835, 32822, 32823, 32829, 32830: the round's interval, written to "PingTime" at once;
  // 0 also ends a check that is running.
  void SetCheckInterval(CDORAzivazDoc& doc, std::int32_t seconds);

 private:
  friend void InstallDeviceCheck(DocumentSeams&, std::shared_ptr<DeviceSupervision>);
  void RunThread(CDORAzivazDoc& doc);
  void Post(DeviceStateMessage message);

  SettingsStore& m_settings;
  DeviceViews* m_views = nullptr;
  DeviceAddressDialog* m_dialog = nullptr;
  CDORAzivazDoc* m_doc = nullptr;  // set by the thread before it posts anything
  // Cleared when the thread ends with its document: messages still queued then are dropped.
  std::atomic<bool> m_documentAlive{false};
  DeviceCheckThread m_thread;
};

// Fills the device check's seams: the thread procedure, CancelCheck, the "Failed Devices"
// recomputation and the "Check Device" write.
void InstallDeviceCheck(DocumentSeams& seams, std::shared_ptr<DeviceSupervision> supervision);
