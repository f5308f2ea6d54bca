// BusmonitorOpener: the main window's busmonitor command: at most one busmonitor at a time.
#pragma once

#include <QPointer>

#include "ui/busmonitor_frame.h"

class TelegramReception;
class QWidget;

// The open busmonitor is registered with the telegram reception, which passes it the lines
// until the busmonitor closes. Main thread only.
class BusmonitorOpener {
 public:
  BusmonitorOpener(CBusmonitorView::Services services, QWidget& owner);
  ~BusmonitorOpener();
  BusmonitorOpener(const BusmonitorOpener&) = delete;
  BusmonitorOpener& operator=(const BusmonitorOpener&) = delete;

  // Where the lines come from; null (and before the bus exists) the busmonitor gets none. A
  // change closes an open busmonitor.
  void SetReception(TelegramReception* reception);
  // 32827: restores a minimised busmonitor or brings it to the top; else makes a new one,
  // placed in the middle of the screen.
  void Open();
  // The open busmonitor; null while none is open.
  CBusmonitorFrame* Frame() const { return m_frame; }
  void Close();

 private:
  CBusmonitorView::Services m_services;
  QWidget& m_owner;
  TelegramReception* m_reception = nullptr;
  QPointer<CBusmonitorFrame> m_frame;
};
