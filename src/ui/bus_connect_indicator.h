// BusConnectIndicator: what the main window shows while the bus interface is being opened.
#pragma once

#include <QString>

class QStatusBar;

// The status bar says that the interface is being opened and the cursor waits; both go back to
// what they were when the opening ends. The window runs no command meanwhile (Active()).
class BusConnectIndicator {
 public:
  explicit BusConnectIndicator(QStatusBar& statusBar) : m_statusBar(statusBar) {}
  BusConnectIndicator(const BusConnectIndicator&) = delete;
  BusConnectIndicator& operator=(const BusConnectIndicator&) = delete;
  ~BusConnectIndicator();

  // The interface is being opened (true) or the opening has ended (false).
  void Show(bool connecting);
  bool Active() const { return m_active; }

 private:
  QStatusBar& m_statusBar;
  bool m_active = false;
  QString m_previousMessage;
};
