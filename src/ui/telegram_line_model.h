// TelegramLineModel: the busmonitor's lines, six texts each, oldest first.
#pragma once

#include <QAbstractTableModel>
#include <array>
#include <cstddef>
#include <deque>
#include <string>

// The texts of one line in column order: time, group address, priority, event number,
// telegram type, data; Windows-1252 bytes as the line was given.
using TelegramLine = std::array<std::string, 6>;

// Texts are converted for Qt only when a row is painted. Main thread only.
class TelegramLineModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kColumnCount = 6;

  explicit TelegramLineModel(QObject* parent = nullptr);

  std::size_t Count() const { return m_lines.size(); }
  const TelegramLine& Line(std::size_t row) const { return m_lines[row]; }
  void Append(TelegramLine line);
  // Removes the `count` oldest lines (all of them when there are fewer).
  void RemoveOldest(std::size_t count);
  void Clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::deque<TelegramLine> m_lines;
};
