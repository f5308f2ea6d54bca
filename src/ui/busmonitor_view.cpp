// CBusmonitorView: adding, filtering, trimming, clearing and saving the busmonitor's lines.
#include "ui/busmonitor_view.h"

#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/file_dialogs.h"
#include "ui/busmonitor_filter_dialog.h"
#include "ui/busmonitor_log_file.h"
#include "ui/busmonitor_settings_dialog.h"

namespace {

constexpr int kWidthPercent[TelegramLineModel::kColumnCount] = {10, 10, 15, 8, 17, 40};
constexpr unsigned kStrLogFilter = 172;
constexpr unsigned kStrLogTitle = 173;
constexpr unsigned kStrLogNotCreated = 174;
constexpr unsigned kStrLogHeader = 175;

}  // namespace

CBusmonitorView::CBusmonitorView(Services services, QWidget* parent)
    : QTableView(parent), m_services(services) {
  SettingsStore& store = m_services.settings;
  // Read as the unsigned count it is; a negative value kept by hand means no practical limit.
  m_maxLines = static_cast<std::uint32_t>(store.GetInt(kParameterKey, "MaxLines").value_or(500));
  m_twoLevel = store.GetInt(kParameterKey, "AddressLevels").value_or(2) == 2;

  setModel(&m_model);
  setShowGrid(true);
  setSortingEnabled(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->hide();
  // Every row is one text line high: the view need not measure rows as they come.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CBusmonitorView::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  if (!m_columnsCreated) CreateColumns();
}

// Each column gets its share of the width, but never less than its heading needs (and the time
// column its whole text); the data column takes what is left, so that a narrow window
// truncates no heading and no time.
void CBusmonitorView::CreateColumns() {
  m_columnsCreated = true;
  const int width = viewport()->width();
  const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
  const int timeWidth = fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + padding;
  int used = 0;
  for (int column = 0; column < TelegramLineModel::kColumnCount; ++column) {
    const int least =
        std::max(horizontalHeader()->sectionSizeHint(column), column == 0 ? timeWidth : 0);
    const bool last = column + 1 == TelegramLineModel::kColumnCount;
    const int share = last ? width - used : width * kWidthPercent[column] / 100;
    horizontalHeader()->resizeSection(column, std::max(least, share));
    used += horizontalHeader()->sectionSize(column);
  }
}

void CBusmonitorView::AddTelegramLine(std::string_view time, std::uint16_t groupAddress,
                                      std::string_view priority, std::string_view eventNumber,
                                      std::string_view type, std::string_view data,
                                      std::string_view /*source*/) {
  std::string address = BusmonitorAddressText(groupAddress, m_twoLevel);
  if (!m_patterns.Matches(address)) return;
  if (m_model.Count() > m_maxLines) m_model.RemoveOldest(1);
  m_model.Append({std::string(time), std::move(address), std::string(priority),
                  std::string(eventNumber), std::string(type), std::string(data)});
  if (m_counter < std::numeric_limits<std::int32_t>::max()) ++m_counter;
  PostRefresh();
}

// The status bar and the scroll position follow once per turn of the event loop, however many
// lines came in it.
void CBusmonitorView::PostRefresh() {
  if (m_refreshPosted) return;
  m_refreshPosted = true;
  QTimer::singleShot(0, this, [this] {
    m_refreshPosted = false;
    if (m_model.Count() > 0) scrollToBottom();
    if (m_counterChanged) m_counterChanged(m_counter);
  });
}

void CBusmonitorView::Clear() {
  m_model.Clear();
  m_counter = 0;
  PostRefresh();
}

void CBusmonitorView::RunSettingsDialog() {
  BusmonitorSettingsDialog dialog(m_maxLines, m_twoLevel, this);
  if (dialog.exec() != QDialog::Accepted) return;
  ApplySettings(dialog.MaxLines(), dialog.TwoLevel());
}

void CBusmonitorView::ApplySettings(std::uint32_t maxLines, bool twoLevel) {
  m_maxLines = maxLines;
  if (m_model.Count() > m_maxLines) m_model.RemoveOldest(m_model.Count() - m_maxLines);
  SettingsStore& store = m_services.settings;
  store.SetInt(kParameterKey, "MaxLines", static_cast<std::int32_t>(m_maxLines));
  // Lines already shown keep the form they were made with.
  m_twoLevel = twoLevel;
  store.SetInt(kParameterKey, "AddressLevels", m_twoLevel ? 2 : 3);
}

void CBusmonitorView::RunFilterDialog() {
  BusmonitorFilterDialog dialog(m_patterns, m_twoLevel, m_services.prompt, this);
  if (dialog.exec() != QDialog::Accepted) return;
  m_patterns = dialog.Patterns();
}

void CBusmonitorView::SaveLog() {
  if (m_model.Count() == 0) return;
  const auto language = Language();
  FileDialogRequest request;
  request.title = language->String(kStrLogTitle);
  request.filter = language->String(kStrLogFilter);
  request.defaultFileName = "logfile.txt";
  request.mustExist = false;
  const std::optional<std::string> path = m_services.fileDialogs.SaveFile(request);
  if (!path) return;
  if (!WriteBusmonitorLog(*path, language->String(kStrLogHeader), m_model))
    m_services.prompt.Show(kStrLogNotCreated, {}, PromptKind::Warning);
}
