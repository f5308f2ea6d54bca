// TelegramLineModel: appending, trimming and showing the busmonitor's lines.
#include "ui/telegram_line_model.h"

#include <algorithm>

#include "ui/ansi_text.h"

namespace {

// Column headings: time, group address, priority, event, telegram type, data.
constexpr unsigned kHeadings[TelegramLineModel::kColumnCount] = {165, 167, 169, 196, 171, 168};

}  // namespace

TelegramLineModel::TelegramLineModel(QObject* parent) : QAbstractTableModel(parent) {}

void TelegramLineModel::Append(TelegramLine line) {
  const int row = static_cast<int>(m_lines.size());
  beginInsertRows({}, row, row);
  m_lines.push_back(std::move(line));
  endInsertRows();
}

void TelegramLineModel::RemoveOldest(std::size_t count) {
  count = std::min(count, m_lines.size());
  if (count == 0) return;
  beginRemoveRows({}, 0, static_cast<int>(count) - 1);
  m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(count));
  endRemoveRows();
}

void TelegramLineModel::Clear() {
  if (m_lines.empty()) return;
  beginResetModel();
  m_lines.clear();
  endResetModel();
}

int TelegramLineModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int TelegramLineModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant TelegramLineModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() ||
      index.column() >= kColumnCount)
    return {};
  return FromAnsi(m_lines[static_cast<std::size_t>(index.row())][index.column()]);
}

QVariant TelegramLineModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount)
    return {};
  return LanguageString(kHeadings[section]);
}
