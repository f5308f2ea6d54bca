// DateDialog: writes a date (EIS 4 text form "dd.mm.yyyy").
#pragma once

#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 167: edits 1016 day, 1018 month, 1019 year. OK refuses a day outside 1 to 31, a
// month outside 1 to 12 and a year outside 1990 to 2089, the years the bus carries.
class DateDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit DateDialog(Prompt& prompt, QWidget* parent = nullptr);

  // From the date text: the number at its start, after the first "." and after the next ".";
  // no value: 01.01.2001.
  void Fill(const Variant& value) override;
  // The text "dd.mm.yyyy".
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  std::uint32_t m_day = 1;
  std::uint32_t m_month = 1;
  std::uint32_t m_year = 2001;
};
