// QtFileDialogs: the document's open and save dialogs as Qt file dialogs.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string_view>

#include "project/file_dialogs.h"

// "Name (*.ext)|*.ext|All Files (*.*)|*.*|" as Qt's "Name (*.ext);;All Files (*)".
QString QtFileFilter(std::string_view filter);

class QtFileDialogs : public FileDialogs {
 public:
  void SetParent(QWidget* parent) { m_parent = parent; }

  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;

 private:
  QPointer<QWidget> m_parent;
};
