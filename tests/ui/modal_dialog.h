// Helpers that drive a modal dialog of the window from inside its own event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>

// Runs `act` on the modal dialog as soon as its event loop runs.
inline void OnModalDialog(std::function<void(QDialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no dialog open";
      return;
    }
    act(*dialog);
  });
}

// The dialog's control `id` (named "control<id>").
template <class Widget>
Widget* Field(QDialog& dialog, unsigned id) {
  auto* widget = dialog.findChild<Widget*>(QStringLiteral("control%1").arg(id));
  EXPECT_TRUE(widget) << id;
  return widget;
}

// Clicks button 1 (OK) or 2 (Cancel).
inline void Press(QDialog& dialog, unsigned button) {
  if (auto* push = Field<QPushButton>(dialog, button)) push->click();
}
