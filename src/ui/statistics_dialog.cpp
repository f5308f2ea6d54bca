// StatisticsDialog: the counters laid out as label and read-only field pairs.
#include "ui/statistics_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "project/delete_commands.h"
#include "ui/dialog_texts.h"

namespace {

constexpr unsigned kStatisticsDialog = 144;

}  // namespace

StatisticsDialog::StatisticsDialog(const ProjectStatistics& statistics, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("statisticsDialog"));
  setWindowTitle(DialogTitle(kStatisticsDialog, QStringLiteral("Project Statistics")));
  auto* form = new QFormLayout(this);
  const std::pair<unsigned, std::int32_t> fields[] = {{1011, statistics.mainGroups},
                                                      {1012, statistics.middleGroups},
                                                      {1013, statistics.groupAddresses},
                                                      {1014, statistics.devices}};
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
