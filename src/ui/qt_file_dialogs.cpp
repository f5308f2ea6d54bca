// QtFileDialogs: filters converted from the framework's form, paths as Windows-1252.
#include "ui/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "ui/ansi_text.h"

QString QtFileFilter(std::string_view filter) {
  const QStringList parts = FromAnsi(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    if (name.isEmpty() || patterns.isEmpty()) continue;
    // "*.*" means every file, also those without a dot in their name.
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    name.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    filters << (name.contains(QLatin1Char('(')) ? name : name + " (" + patterns + ")");
  }
  return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileDialogs::OpenFile(const FileDialogRequest& request) {
  const QString path =
      QFileDialog::getOpenFileName(m_parent, FromAnsi(request.title),
                                   FromAnsi(request.defaultFileName), QtFileFilter(request.filter));
  if (path.isEmpty()) return std::nullopt;
  return ToAnsi(path);
}

std::optional<std::string> QtFileDialogs::SaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(m_parent, FromAnsi(request.title), QString(), QtFileFilter(request.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(FromAnsi(request.defaultExtension));
  dialog.selectFile(FromAnsi(request.defaultFileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToAnsi(dialog.selectedFiles().front());
}
