// StatisticsDialog: the project statistics dialog (144): group, address and device counts.
#pragma once

#include <QDialog>

struct ProjectStatistics;

// Four read-only fields: main groups, middle groups, group addresses, devices.
class StatisticsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit StatisticsDialog(const ProjectStatistics& statistics, QWidget* parent = nullptr);
  // The text of field `control` (1011 to 1014).
  QString FieldText(unsigned control) const;
};
