// TimeDialog: day list from the language's day names, hour up to 23, minute and second up to 59.
#include "ui/time_dialog.h"

#include <QComboBox>
#include <cstdio>

#include "bus/group_value_codec.h"
#include "bus/group_value_texts.h"
#include "platform/code_page.h"
#include "ui/ansi_text.h"

namespace {

constexpr unsigned kTemplate = 165;
constexpr unsigned kDay = 1016;
constexpr unsigned kHour = 1017;
constexpr unsigned kMinute = 1012;
constexpr unsigned kSecond = 1013;

}  // namespace

TimeDialog::TimeDialog(Prompt& prompt, QWidget* parent) : ValueDialog(kTemplate, prompt, parent) {
  if (QComboBox* days = Combo(kDay)) {
    days->clear();
    for (const std::string& name : *CurrentDayNames()) days->addItem(FromAnsi(name));
  }
  LimitUnsigned(kHour, 23);
  LimitUnsigned(kMinute, 59);
  LimitUnsigned(kSecond, 59);
}

void TimeDialog::Fill(const Variant& value) {
  // The time text is read as the codec reads it before sending.
  const auto bytes = ParseTimeText(TextOf(value), *CurrentDayNames());
  if (QComboBox* days = Combo(kDay)) days->setCurrentIndex(bytes[0] >> 5);
  SetFieldNumber(kHour, bytes[0] & 0x1F);
  SetFieldNumber(kMinute, bytes[1]);
  SetFieldNumber(kSecond, bytes[2]);
}

bool TimeDialog::Exchange() {
  const auto hour = ExchangeUnsigned(kHour);
  if (!hour) return false;
  const auto minute = ExchangeUnsigned(kMinute);
  if (!minute) return false;
  const auto second = ExchangeUnsigned(kSecond);
  if (!second) return false;
  m_hour = *hour;
  m_minute = *minute;
  m_second = *second;
  return true;
}

Variant TimeDialog::Result() const {
  const QComboBox* days = Combo(kDay);
  const int index = days ? days->currentIndex() : -1;
  const auto names = CurrentDayNames();
  const std::string day =
      index >= 0 && index < static_cast<int>(names->size()) ? (*names)[index] : std::string();
  char clock[40];
  std::snprintf(clock, sizeof clock, " %.2u:%.2u:%.2u", m_hour, m_minute, m_second);
  return Variant::Bstr(AnsiToUtf16(day + clock));
}
