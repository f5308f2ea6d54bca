// DeviceServiceHandOff: how the bus connection hands its DeviceCheckService to the check thread.
#pragma once

#include <memory>

class DeviceCheckService;

// Implemented by the bus connection. Connect delivers a service for the device check thread
// and sets its "device service delivered" flag; the thread takes the service once, and clears
// the flag when it drops it on its quit event. SwitchInterface sets the restart flag, cancels
// a running check, sets the quit event, waits for the flag to clear, reconnects and clears the
// restart flag; the thread then takes the new service. All three are called on the device
// check thread.
class DeviceServiceHandOff {
 public:
  // The service delivered for the thread, each delivery handed out once; null when none waits.
  virtual std::shared_ptr<DeviceCheckService> TakeDeviceService() = 0;
  // The thread has dropped its service: clear the "device service delivered" flag.
  virtual void DeviceServiceDropped() = 0;
  // True while the interface is being switched: the quit event then means "drop the service
  // and go on" instead of "end". The thread reads it before it drops its service.
  virtual bool RestartRequested() = 0;

 protected:
  ~DeviceServiceHandOff() = default;
};
