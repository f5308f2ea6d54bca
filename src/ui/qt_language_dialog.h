// QtLanguageDialog: the language dialog (resource 186) of the settings commands, as a Qt dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/settings_dialogs.h"

// Radio buttons 1005 (English, 0) and 1006 (German, 1). Main thread only.
class QtLanguageDialog : public LanguageDialog {
 public:
  explicit QtLanguageDialog(QWidget* parent) : m_parent(parent) {}
  bool Run(std::int32_t& language) override;

 private:
  QPointer<QWidget> m_parent;
};
