// StatisticsDialog: the project statistics dialog (144): group, address and device counts.
#pragma once

#include <QDialog>
#include <cstdint>

struct ProjectCounters;

// Four read-only fields: main groups, middle groups, group addresses, devices.
class StatisticsDialog : public QDialog {
  Q_OBJECT

 public:
  StatisticsDialog(const ProjectCounters& counters, std::int64_t devices,
                   QWidget* parent = nullptr);
  // The text of field `control` (1011 to 1014).
  QString FieldText(unsigned control) const;
};
