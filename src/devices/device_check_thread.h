// DeviceCheckThread: the worker that checks one device at a time, by queue and by regular round.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>

#include "devices/device_state_message.h"

class CDORAzivazDoc;
class DeviceCheckClock;
class DeviceCheckService;
class DeviceServiceHandOff;

// The text a check gives when it could not be made (no service, or the service failed).
inline constexpr const char* kUnknownAnswer = "Unknown";

// Run() is the thread procedure. Each turn it takes a newly delivered service, checks the
// first address of the CheckQueue or, when the round is due, the device after the round's
// last one, applies the answer, and waits on the quit event. The round checks one device
// every PingTime seconds measured from the start of the previous round check; PingTime 0
// means no round. The wait is at most one second, so queued checks (a client's or the
// single retry of a device that did not answer) run within a second whatever PingTime is.
class DeviceCheckThread {
 public:
  // `handOff` may be null (no bus connection: every check answers "Unknown"); `post` hands a
  // DeviceStateMessage to the main thread.
  DeviceCheckThread(DeviceCheckClock& clock, DeviceServiceHandOff* handOff,
                    std::function<void(DeviceStateMessage)> post);
  DeviceCheckThread(const DeviceCheckThread&) = delete;
  DeviceCheckThread& operator=(const DeviceCheckThread&) = delete;

  // Returns when the document's quit event is set while no restart is requested; the quit
  // event set during a restart only drops the service.
  void Run(CDORAzivazDoc& doc);
  // Main thread: ends a check that is running (project cleared, interval 0, shutdown); the
  // result of a check that was running then is dropped.
  void CancelCheck();
  // Main thread: the interval of the round in seconds; also stored in the document's settings.
  void SetPingTime(CDORAzivazDoc& doc, std::int32_t seconds);

 private:
  void TakeDeliveredService();
  // Returns true when the thread goes on (a restart), false when it ends.
  bool OnQuitEvent();
  std::optional<std::string> NextRoundAddress(CDORAzivazDoc& doc);
  // The answer; nothing when the check was cancelled.
  std::optional<std::string> Check(CDORAzivazDoc& doc, const std::string& address);
  // Drops the answer when CancelCheck was called since `cancelsBefore` was read.
  void ApplyAnswer(CDORAzivazDoc& doc, const std::string& address, const std::string& answer,
                   std::uint64_t cancelsBefore);
  std::uint64_t Cancels();
  std::uint32_t WaitMs(CDORAzivazDoc& doc, std::int64_t now) const;

  DeviceCheckClock& m_clock;
  DeviceServiceHandOff* m_handOff;
  std::function<void(DeviceStateMessage)> m_post;

  std::mutex m_mutex;  // guards m_service, m_cancels and the document's PingTime setting
  std::shared_ptr<DeviceCheckService> m_service;
  std::uint64_t m_cancels = 0;
  std::atomic<std::int32_t> m_pingTime{0};

  // Used by the thread alone.
  std::string m_roundLast;
  std::optional<std::int64_t> m_roundStart;
  std::minstd_rand m_random{std::random_device{}()};
};
