// BusDriver: one bus interface as a driver reaches it; BusDevice opens it and the services
// attach to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "knx/group_telegram.h"

// What a driver reports from the bus. Called on the driver's own thread, one call at a time;
// the receiver hands the events on to the thread that wants them.
class BusDriverListener {
 public:
  virtual ~BusDriverListener() = default;
  // A group telegram seen on the bus.
  virtual void OnGroupTelegram(const GroupTelegram& telegram) = 0;
  // The confirmation of a group read or write this driver sent; `error` is set when the
  // interface could not send it.
  virtual void OnGroupConfirm(const GroupTelegram& telegram, bool error) = 0;
  // The link to the interface was lost (false) or came up (true). A driver that reconnects by
  // itself reports both; the first link of an Open comes before the listener is attached and
  // shows in the Open result instead.
  virtual void OnConnectionState(bool connected) = 0;
};

// Drivers are registered per interface GUID with BusComponent. All operations are thread-safe:
// the main thread, the bus worker and the device check thread use one driver at once.
class BusDriver {
 public:
  virtual ~BusDriver() = default;

  // Connects to the interface that `connectionParameter` names (driver-specific, Windows-1252);
  // returns a DeviceOpenError code.
  virtual std::int32_t Open(const std::string& connectionParameter) = 0;
  // Disconnects; sending then fails with DeviceWriteErrorDriverNotOpen.
  virtual void Close() = 0;

  // Where telegrams and confirmations go; null stops them. Returns only when no call to the
  // previous listener is running any more, so the caller may destroy it afterwards.
  virtual void SetListener(BusDriverListener* listener) = 0;

  // Queue a telegram; return a DeviceWriteError code (or, below zero, a failing HRESULT when
  // the call itself failed). The confirmation follows through the listener. `shortForm`: the
  // value (data[0], 6 bits) travels inside the APCI octet.
  virtual std::int32_t SendGroupRead(std::uint16_t groupAddress, std::int32_t priority,
                                     std::int32_t routingCounter) = 0;
  virtual std::int32_t SendGroupWrite(std::uint16_t groupAddress, std::int32_t priority,
                                      std::int32_t routingCounter, bool shortForm,
                                      const std::vector<std::uint8_t>& data) = 0;

  // Asks the device with this individual address whether it is there. Blocks until it
  // answers, the driver gives up, or CancelCheck is called; returns the individual address
  // that answered, or nothing.
  virtual std::optional<std::uint16_t> CheckDevice(std::uint16_t individualAddress) = 0;
  // Ends a running CheckDevice at once (from any thread); no effect when none runs.
  virtual void CancelCheck() = 0;
};
