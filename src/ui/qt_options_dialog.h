// QtOptionsDialog: the options dialog (resource 143) of the settings commands, as a Qt dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/settings_dialogs.h"

// Check boxes 1001 (start mode), 1002 (linked reads), 1003 (initial read), drop-down 1008 (the
// initial read's speed), radio buttons 1005 (UTC) and 1006 (local time). Main thread only.
class QtOptionsDialog : public OptionsDialog {
 public:
  explicit QtOptionsDialog(QWidget* parent) : m_parent(parent) {}
  bool Run(OptionsValues& values) override;

 private:
  QPointer<QWidget> m_parent;
};
