// StatisticsDialog: the counters laid out as label and read-only field pairs.
#include "ui/statistics_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "project/project_counters.h"
#include "ui/dialog_texts.h"

namespace {

constexpr unsigned kStatisticsDialog = 144;

}  // namespace

StatisticsDialog::StatisticsDialog(const ProjectCounters& counters, std::int64_t devices,
                                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("statisticsDialog"));
  setWindowTitle(DialogTitle(kStatisticsDialog, QStringLiteral("Project Statistics")));
  auto* form = new QFormLayout(this);
  const std::pair<unsigned, std::int64_t> fields[] = {{1011, counters.mainGroups},
                                                      {1012, counters.middleGroups},
                                                      {1013, counters.groupAddresses},
                                                      {1014, devices}};
  unsigned label = 1001;
  for (const auto& [control, value] : fields) {
    auto* field = new QLineEdit(QString::number(value), this);
    field->setObjectName(ControlObjectName(control));
    field->setReadOnly(true);
    form->addRow(DialogControlText(kStatisticsDialog, label++), field);
  }
  form->addRow(CreateDialogButtons(*this, kStatisticsDialog, false));
}

QString StatisticsDialog::FieldText(unsigned control) const {
  const auto* field = findChild<QLineEdit*>(ControlObjectName(control));
  return field ? field->text() : QString();
}
