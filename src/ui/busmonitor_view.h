// CBusmonitorView: the busmonitor's list of telegrams with its filter, line limit and log file.
#pragma once

#include <QTableView>
#include <cstdint>
#include <functional>
#include <string>

#include "bus/telegram_line_view.h"
#include "ui/address_pattern.h"
#include "ui/telegram_line_model.h"

class FileDialogs;
class Prompt;
class SettingsStore;

// A report list with grid lines and movable columns, not sortable. Reads "MaxLines" (default
// 500) and "AddressLevels" (default 2: two-level) when it is made. Main thread only.
class CBusmonitorView : public QTableView, public TelegramLineView {
  Q_OBJECT

 public:
  struct Services {
    SettingsStore& settings;
    Prompt& prompt;
    FileDialogs& fileDialogs;
  };

  explicit CBusmonitorView(Services services, QWidget* parent = nullptr);

  // TelegramLineView: the line of one telegram, when its address passes the filter. The list
  // keeps at most "MaxLines" + 1 lines: the oldest goes when it holds more than the maximum.
  bool Paused() const override { return m_paused; }
  void AddTelegramLine(std::string_view time, std::uint16_t groupAddress, std::string_view priority,
                       std::string_view eventNumber, std::string_view type, std::string_view data,
                       std::string_view source) override;

  void SetPaused(bool paused) { m_paused = paused; }
  // Lines added since the view was made or last cleared.
  std::int32_t Counter() const { return m_counter; }
  std::uint32_t MaxLines() const { return m_maxLines; }
  bool TwoLevel() const { return m_twoLevel; }
  const AddressPatterns& Patterns() const { return m_patterns; }
  TelegramLineModel& Model() { return m_model; }

  // 32831: empties the list and the counter.
  void Clear();
  // 32832: the settings dialog; on OK the new maximum (the list trimmed to it), the address
  // form, and both values written to the settings store.
  void RunSettingsDialog();
  void ApplySettings(std::uint32_t maxLines, bool twoLevel);
  // 32854: the filter dialog; on OK its patterns apply to the lines that come next.
  void RunFilterDialog();
  void SetPatterns(AddressPatterns patterns) { m_patterns = std::move(patterns); }
  // 32834: the lines to a text file the user chooses (nothing while the list is empty).
  void SaveLog();

  // Called once after lines were added or cleared (as a posted refresh, not per line).
  void SetCounterChanged(std::function<void(std::int32_t)> changed) {
    m_counterChanged = std::move(changed);
  }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateColumns();
  void PostRefresh();

  Services m_services;
  TelegramLineModel m_model;
  bool m_paused = false;
  bool m_twoLevel = true;
  std::uint32_t m_maxLines = 500;
  AddressPatterns m_patterns;
  std::int32_t m_counter = 0;
  bool m_columnsCreated = false;
  bool m_refreshPosted = false;
  std::function<void(std::int32_t)> m_counterChanged;
};
