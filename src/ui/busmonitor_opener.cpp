// BusmonitorOpener: making, raising and closing the one busmonitor window.
#include "ui/busmonitor_opener.h"

#include <QGuiApplication>
#include <QScreen>

#include "bus/telegram_reception.h"

BusmonitorOpener::BusmonitorOpener(CBusmonitorView::Services services, QWidget& owner)
    : m_services(services), m_owner(owner) {}

BusmonitorOpener::~BusmonitorOpener() {
  Close();
}

void BusmonitorOpener::SetReception(TelegramReception* reception) {
  if (reception == m_reception) return;
  Close();
  m_reception = reception;
}

void BusmonitorOpener::Open() {
  // A busmonitor closed a moment ago may wait for its deletion: it counts as gone.
  if (m_frame && !m_frame->isHidden()) {
    if (m_frame->isMinimized()) {
      m_frame->showNormal();
    } else {
      m_frame->raise();
      m_frame->activateWindow();
      m_frame->repaint();
    }
    return;
  }
  TelegramReception* reception = m_reception;
  auto* frame = new CBusmonitorFrame(
      m_services,
      [reception] {
        if (reception) reception->SetBusmonitor(nullptr);
      },
      &m_owner);
  QScreen* screen = m_owner.screen() ? m_owner.screen() : QGuiApplication::primaryScreen();
  if (screen) frame->setGeometry(CBusmonitorFrame::InitialPlacement(screen->geometry()));
  m_frame = frame;
  frame->show();
  if (reception) reception->SetBusmonitor(&frame->View());
}

void BusmonitorOpener::Close() {
  if (!m_frame) return;
  CBusmonitorFrame* frame = m_frame;
  m_frame = nullptr;
  // Closing deletes the window; its end takes it off the reception.
  frame->close();
}
