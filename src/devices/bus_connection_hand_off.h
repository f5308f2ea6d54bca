// BusConnectionHandOff: the device check thread's hand-off over the document's BusConnection.
#pragma once

#include "bus/bus_connection.h"
#include "devices/device_service_hand_off.h"

class BusConnectionHandOff : public DeviceServiceHandOff {
 public:
  explicit BusConnectionHandOff(BusConnection& connection) : m_connection(connection) {}

  std::shared_ptr<DeviceCheckService> TakeDeviceService() override {
    return m_connection.TakeDeviceStream();
  }
  void DeviceServiceDropped() override { m_connection.DropDeviceProxy(); }
  bool RestartRequested() override { return m_connection.Restarting(); }

 private:
  BusConnection& m_connection;
};
