// BusConnectIndicator: the status bar text and the wait cursor while the interface opens.
#include "ui/bus_connect_indicator.h"

#include <QApplication>
#include <QStatusBar>

#include "ui/ansi_text.h"

namespace {

constexpr unsigned kStrConnecting = 59147;

}  // namespace

BusConnectIndicator::~BusConnectIndicator() {
  Show(false);
}

void BusConnectIndicator::Show(bool connecting) {
  if (connecting == m_active) return;
  m_active = connecting;
  if (connecting) {
    m_previousMessage = m_statusBar.currentMessage();
    m_statusBar.showMessage(LanguageString(kStrConnecting));
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
    m_statusBar.showMessage(m_previousMessage);
  }
}
