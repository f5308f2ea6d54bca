// TimeDialog: writes a time of day with its day of the week (EIS 3 text form).
#pragma once

#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 165: drop-down list 1016 the day (index 0 no day, 1 to 7 Monday to Sunday), edits
// 1017 hour, 1012 minute, 1013 second.
class TimeDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit TimeDialog(Prompt& prompt, QWidget* parent = nullptr);

  // From the time text "<day> hh:mm:ss"; no value: no day, 00:00:00.
  void Fill(const Variant& value) override;
  // The text "<day name> hh:mm:ss"; the day name is empty when no day is chosen.
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  std::uint32_t m_hour = 0;
  std::uint32_t m_minute = 0;
  std::uint32_t m_second = 0;
};
