// BusLink: making the bus parts for the document and wiring them into its seams.
#include "bus/bus_link.h"

#include "bus/bus_worker.h"
#include "bus/request_scheduling.h"
#include "bus/simulation.h"
#include "platform/seconds_clock.h"
#include "project/document_seams.h"
#include "project/dorazivaz_doc.h"

BusLink::BusLink(MainThread& mainThread, const BusComponent& component, SecondsClock* clock)
    : m_clock(clock ? *clock : SystemSecondsClock()),
      m_connection(component),
      m_reception(m_clock),
      m_rows(mainThread) {
  m_connection.SetEventSink(&m_reception);
  m_reception.SetConnection(&m_connection);
}

BusLink::~BusLink() = default;

void BusLink::SetViews(BusViews* views) {
  m_views = views;
  m_reception.SetViews(views);
  m_rows.SetViews(views);
  if (m_simulation) m_simulation->SetViews(views);
}

void BusLink::SetDeviceCheckReset(std::function<void(CDORAzivazDoc&)> reset) {
  m_deviceCheckReset = reset;
  if (m_simulation) m_simulation->SetDeviceCheckReset(std::move(reset));
}

void BusLink::Bind(CDORAzivazDoc& doc) {
  m_reception.Attach(doc);
  if (!m_simulation) {
    m_simulation = std::make_unique<Simulation>(doc, m_rows);
    m_simulation->SetViews(m_views);
    m_simulation->SetDeviceCheckReset(m_deviceCheckReset);
    m_worker = std::make_unique<BusWorker>(doc, m_connection, m_clock, m_rows, *m_simulation);
  }
  doc.SetCommand(kCmdSimulation, [this] { m_simulation->Toggle(); });
  doc.SetCommand(kCmdSwitchInterface, [this, &doc] { m_connection.SwitchInterface(doc); });
}

void BusLink::WireSeams(DocumentSeams& seams) {
  seams.connect = [this](CDORAzivazDoc& doc, bool silent) {
    Bind(doc);
    m_connection.Connect(doc, silent);
  };
  seams.disconnect = [this](CDORAzivazDoc&) { m_connection.Disconnect(); };
  seams.cancelCheck = [this](CDORAzivazDoc&) { m_connection.CancelCheck(); };
  seams.busWorkerThread = [this](CDORAzivazDoc&) { m_worker->Run(); };
  seams.queueRead = [](CDORAzivazDoc& doc, GroupItem& item) { QueueReadRequest(doc, item); };
  seams.queueWrite = [this](CDORAzivazDoc& doc, GroupItem& item, const Variant& value) {
    return QueueWriteRequest(doc, item, value, m_rows);
  };
  // The request queue itself tells the worker when the item it serves is destroyed.
  seams.itemDestroying = [this](CDORAzivazDoc&, GroupItem& item) { m_rows.Forget(item); };
}
