// DateDialog: day, month and year with the ranges checked on OK.
#include "ui/date_dialog.h"

#include <cstdio>
#include <string_view>

#include "platform/code_page.h"
#include "platform/decimal_value.h"

namespace {

constexpr unsigned kTemplate = 167;
constexpr unsigned kDay = 1016;
constexpr unsigned kMonth = 1018;
constexpr unsigned kYear = 1019;

// The text after the first '.', or an empty view when there is none.
std::string_view AfterDot(std::string_view text) {
  const auto dot = text.find('.');
  return dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
}

}  // namespace

DateDialog::DateDialog(Prompt& prompt, QWidget* parent) : ValueDialog(kTemplate, prompt, parent) {}

void DateDialog::Fill(const Variant& value) {
  if (value.IsEmpty()) {
    SetFieldNumber(kDay, 1);
    SetFieldNumber(kMonth, 1);
    SetFieldNumber(kYear, 2001);
    return;
  }
  const std::string text = TextOf(value);
  const std::string_view month = AfterDot(text);
  SetFieldNumber(kDay, DecimalValue(text));
  SetFieldNumber(kMonth, DecimalValue(month));
  SetFieldNumber(kYear, DecimalValue(AfterDot(month)));
}

bool DateDialog::Exchange() {
  const auto day = ExchangeRange(kDay, 1, 31);
  if (!day) return false;
  const auto month = ExchangeRange(kMonth, 1, 12);
  if (!month) return false;
  const auto year = ExchangeRange(kYear, 1990, 2089);
  if (!year) return false;
  m_day = *day;
  m_month = *month;
  m_year = *year;
  return true;
}

Variant DateDialog::Result() const {
  char text[32];
  std::snprintf(text, sizeof text, "%.2u.%.2u.%.2u", m_day, m_month, m_year);
  return Variant::Bstr(AnsiToUtf16(text));
}
