// VirtualBusPort: one driver's connection to a virtual bus, through which the bus reports to
// the driver's listener.
#pragma once

#include <mutex>

#include "knx/bus_driver.h"

// Shared by the driver and the bus: the bus keeps it weakly. Reports run under the port's lock:
// one at a time, SetListener and SetOpen wait for a running one, and a closed port reports
// nothing even when a telegram on its way still reaches it.
class VirtualBusPort {
 public:
  void SetListener(BusDriverListener* listener) {
    std::lock_guard lock(m_mutex);
    m_listener = listener;
  }
  void SetOpen(bool open) {
    std::lock_guard lock(m_mutex);
    m_open = open;
  }
  void Telegram(const GroupTelegram& telegram) {
    std::lock_guard lock(m_mutex);
    if (m_open && m_listener != nullptr) m_listener->OnGroupTelegram(telegram);
  }
  void Confirm(const GroupTelegram& telegram, bool error) {
    std::lock_guard lock(m_mutex);
    if (m_open && m_listener != nullptr) m_listener->OnGroupConfirm(telegram, error);
  }

 private:
  std::mutex m_mutex;
  BusDriverListener* m_listener = nullptr;
  bool m_open = false;
};
