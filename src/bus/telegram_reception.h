// TelegramReception: the document's BusEventSink: busmonitor lines and the values of group items.
#pragma once

#include <cstdint>

#include "knx/bus_event_sink.h"

class BusConnection;
class BusViews;
class CDORAzivazDoc;
class GroupItem;
class GroupNode;
class SecondsClock;
class TelegramLineView;

// Events arrive on the main thread, one at a time. Each writes its busmonitor line (only while
// a busmonitor is registered and not paused), then updates the item of the event's address:
// writes, responses and write confirmations decode their data into it (writes and write
// confirmations also into the items listening to the address, with "ReadLinks" on); a read
// confirmation starts the wait for the response under the pending lock; a confirmation with
// the error set makes the item bad. Nothing is allocated per event beyond the decoded value
// and, while a busmonitor is shown, its line.
class TelegramReception : public BusEventSink {
 public:
  explicit TelegramReception(SecondsClock& clock);

  // The document whose project the events update; set before the sink is advised.
  void Attach(CDORAzivazDoc& doc) { m_doc = &doc; }
  // The main window's rows; null when headless.
  void SetViews(BusViews* views) { m_views = views; }
  // The connection whose link state the connection-state events keep up to date.
  void SetConnection(BusConnection* connection) { m_connection = connection; }
  // The open busmonitor, or null when it is closed.
  void SetBusmonitor(TelegramLineView* view) { m_monitor = view; }

  HRESULT OnGroupValueRead(std::int32_t groupAddress, std::int32_t eventNumber,
                           std::int32_t priority, const Variant& data) override;
  HRESULT OnGroupValueWrite(std::int32_t groupAddress, std::int32_t eventNumber,
                            std::int32_t priority, const Variant& data) override;
  HRESULT OnGroupValueResponse(std::int32_t groupAddress, std::int32_t eventNumber,
                               std::int32_t priority, const Variant& data) override;
  HRESULT OnReadConfirm(std::int32_t groupAddress, std::int32_t eventNumber, std::int32_t priority,
                        std::int16_t error, const Variant& data) override;
  HRESULT OnWriteConfirm(std::int32_t groupAddress, std::int32_t eventNumber, std::int32_t priority,
                         std::int16_t error, const Variant& data) override;
  // Link down: every bus item with a good value keeps it as "uncertain, last usable value"
  // (not in simulation mode, where the values do not come from the bus); the status bar and
  // the log say so. Link back: with "InitRead" on, the items flagged for the initial read are
  // read again at the initial-read pace; the others stay uncertain until their next telegram.
  HRESULT OnConnectionState(bool connected) override;

 private:
  void KeepAsLastUsable(GroupNode& node);
  void MonitorLine(std::int32_t groupAddress, std::int32_t eventNumber, std::int32_t priority,
                   std::int32_t apci, const Variant& data, const char* errorText = nullptr);
  GroupItem* Find(std::int32_t groupAddress) const;
  void Decode(const Variant& data, GroupItem& item);
  void ServeListeners(const GroupItem& item, const Variant& data);
  void MakeBad(GroupItem& item);
  void Refresh(GroupItem& item);

  SecondsClock& m_clock;
  CDORAzivazDoc* m_doc = nullptr;
  BusViews* m_views = nullptr;
  BusConnection* m_connection = nullptr;
  TelegramLineView* m_monitor = nullptr;
};

// The busmonitor's data text: "%.2x " per byte of a byte array of at most 40 bytes; empty for
// a longer array or data of another type.
void FormatTelegramData(const Variant& data, char (&text)[121]);
