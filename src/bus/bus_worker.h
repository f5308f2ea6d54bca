// BusWorker: the bus worker thread: sends queued requests one at a time with a pause after
// each, ends overdue read responses, and runs the simulation.
#pragma once

#include <cstdint>
#include <memory>

class BusConnection;
class CDORAzivazDoc;
class GroupItem;
class GroupValueService;
class RowRefreshQueue;
class SecondsClock;
class Simulation;
struct BusRequest;

// Messages of the worker.
constexpr unsigned kMsgReadCallFailed = 132;   // insert: the HRESULT
constexpr unsigned kMsgReadNotSent = 133;      // insert: the DeviceWriteError's name
constexpr unsigned kMsgWriteCallFailed = 134;  // insert: the HRESULT
constexpr unsigned kMsgWriteNotSent = 135;     // insert: the DeviceWriteError's name

// The routing counter of every telegram the system sends.
constexpr std::int32_t kRoutingCounter = 6;

class BusWorker {
 public:
  BusWorker(CDORAzivazDoc& doc, BusConnection& connection, SecondsClock& clock,
            RowRefreshQueue& rows, Simulation& simulation);

  // The thread procedure: Step, then wait on the quit event for the pause; a wake-up ends the
  // thread unless the interface is being switched.
  void Run();

  // One pass of the loop: in simulation mode a tick; otherwise the response time-out sweep,
  // taking a new service from the group stream, and serving at most one request. Returns the
  // pause in milliseconds before the next pass.
  std::uint32_t Step();
  // The quit event woke the worker: drops its service. True when the worker goes on (the
  // interface is being switched, or no stop was asked for).
  bool OnWake();

  bool HoldsService() const { return m_service != nullptr; }

 private:
  void Sweep();
  std::uint32_t Serve(BusRequest& request);
  std::uint32_t InitialPause() const;

  CDORAzivazDoc& m_doc;
  BusConnection& m_connection;
  SecondsClock& m_clock;
  RowRefreshQueue& m_rows;
  Simulation& m_simulation;
  std::shared_ptr<GroupValueService> m_service;  // the worker's own; taken from the stream
  // The item of the request being served, and whether it died meanwhile (under the queue lock).
};
