// QtMainThread: QMetaObject::invokeMethod with a queued connection to a main-thread object.
#include "ui/qt_main_thread.h"

#include <QMetaObject>

QtMainThread::QtMainThread() : m_context(std::make_unique<QObject>()) {}

QtMainThread::~QtMainThread() {
  std::lock_guard lock(m_mutex);
  m_context.reset();
}

void QtMainThread::Post(std::function<void()> task) {
  std::lock_guard lock(m_mutex);
  if (!m_context) return;
  QMetaObject::invokeMethod(
      m_context.get(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}
