// BusLink: the bus side of the document: connection, telegram reception, request scheduling,
// the bus worker and the simulation, wired into the document through its seams.
#pragma once

#include <functional>
#include <memory>

#include "bus/bus_connection.h"
#include "bus/row_refresh_queue.h"
#include "bus/telegram_reception.h"

class BusViews;
class BusWorker;
class CDORAzivazDoc;
class MainThread;
class SecondsClock;
class Simulation;
struct DocumentSeams;

// Made by the application before the document and kept until after it: the document's
// constructor connects through it and starts its worker thread, the destructor stops the
// worker and disconnects. Usage:
//   BusLink bus(mainThread);
//   DocumentSeams seams;
//   bus.WireSeams(seams);            // connect, disconnect, cancelCheck, busWorkerThread,
//                                    // queueRead, queueWrite, itemDestroying
//   CDORAzivazDoc doc(services, seams);
// The document's commands 32867 (simulation) and 32868 (switch interface) are registered when
// it connects.
class BusLink {
 public:
  explicit BusLink(MainThread& mainThread, const BusComponent& component = BusComponent::Default(),
                   SecondsClock* clock = nullptr);
  ~BusLink();
  BusLink(const BusLink&) = delete;
  BusLink& operator=(const BusLink&) = delete;

  void WireSeams(DocumentSeams& seams);

  // The main window's rows, status bar and simulation mark; null headless. Main thread.
  void SetViews(BusViews* views);
  // Reset of the device check results when simulation is switched off (device check side).
  void SetDeviceCheckReset(std::function<void(CDORAzivazDoc&)> reset);

  BusConnection& Connection() { return m_connection; }
  TelegramReception& Reception() { return m_reception; }
  RowRefreshQueue& Rows() { return m_rows; }
  // Both exist once the document has connected through the link.
  Simulation* GetSimulation() { return m_simulation.get(); }
  BusWorker* Worker() { return m_worker.get(); }

 private:
  void Bind(CDORAzivazDoc& doc);

  SecondsClock& m_clock;
  BusConnection m_connection;
  TelegramReception m_reception;
  RowRefreshQueue m_rows;
  BusViews* m_views = nullptr;
  std::function<void(CDORAzivazDoc&)> m_deviceCheckReset;
  std::unique_ptr<Simulation> m_simulation;
  std::unique_ptr<BusWorker> m_worker;
};
