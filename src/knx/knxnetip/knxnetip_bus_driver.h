// KnxNetIpBusDriver: the bus driver of the "KNXnet/IP tunnelling" interface: group traffic and
// the device check over a KNXnet/IP tunnel.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "knx/bus_driver.h"
#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/tunnel_driver.h"

namespace knxnetip {

struct KnxNetIpDriverTiming {
  TunnelTiming tunnel;
  // How long Open waits for the first connection before it reports an error (the tunnel goes
  // on trying in the background).
  std::chrono::milliseconds openWait{3000};
  // How long a device check waits for the device's answer.
  std::chrono::milliseconds checkTimeout{3000};
};

class KnxNetIpBusDriver : public BusDriver, private TunnelListener {
 public:
  explicit KnxNetIpBusDriver(KnxNetIpDriverTiming timing = {});
  ~KnxNetIpBusDriver() override;

  // "host[:port][,nat]", port 3671 by default; ",nat" for a client behind NAT.
  // DeviceOpenErrorInvalidDevice for a parameter that names no IPv4 endpoint,
  // DeviceOpenErrorDriverOpenError when no socket could be made or the server did not answer in
  // time; in the last case the driver keeps trying, so a server that comes up later is served
  // without another Open.
  std::int32_t Open(const std::string& connectionParameter) override;
  void Close() override;
  // A listener attached while the link is not what Open answered (it came up, or went down,
  // in between) gets that state at once.
  void SetListener(BusDriverListener* listener) override;
  std::int32_t SendGroupRead(std::uint16_t groupAddress, std::int32_t priority,
                             std::int32_t routingCounter) override;
  std::int32_t SendGroupWrite(std::uint16_t groupAddress, std::int32_t priority,
                              std::int32_t routingCounter, bool shortForm,
                              const std::vector<std::uint8_t>& data) override;
  // A connection-oriented T_Connect and A_DeviceDescriptor_Read to the device; only the
  // device's A_DeviceDescriptor_Response to the tunnel's individual address counts as an
  // answer (a positive L_Data.con says nothing about the device; a response to another client
  // is not ours). The connection is closed again with T_Disconnect.
  std::optional<std::uint16_t> CheckDevice(std::uint16_t individualAddress) override;
  void CancelCheck() override;

 private:
  struct Check {
    std::uint16_t target = 0;
    std::optional<std::uint8_t> responseSequence;
    bool cancelled = false;
  };

  void OnTunnelConnected(std::uint16_t individualAddress) override;
  void ReportLink(bool up);
  void OnTunnelLost() override;
  void OnTunnelCemi(const Bytes& cemi) override;
  void OnTunnelSendFailed(const Bytes& cemi) override;

  void OnIndividualFrame(const CemiLData& frame);
  std::int32_t SendCemi(const CemiLData& frame);
  std::int32_t SendToDevice(std::uint16_t address, const Bytes& tpdu);

  KnxNetIpDriverTiming m_timing;
  // The tunnel's individual address: device answers must be addressed to it.
  std::atomic<std::uint16_t> m_individualAddress{0};
  std::mutex m_driverMutex;  // Open/Close against senders
  std::unique_ptr<TunnelDriver> m_tunnel;

  std::mutex m_listenerMutex;
  BusDriverListener* m_listener = nullptr;
  bool m_linkUp = false;
  // The link state the system knows of: Open's answer, then each state reported. A listener
  // attached after the link changed behind Open's answer is told the change at once.
  bool m_knownUp = false;

  std::mutex m_checkRunMutex;  // one check at a time
  std::mutex m_checkMutex;
  std::condition_variable m_checkChanged;
  std::optional<Check> m_check;
};

}  // namespace knxnetip
