// RawDataDialog: the hexadecimal field corrected while typing, and the bytes it stands for.
#include "ui/raw_data_dialog.h"

#include <QLineEdit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr unsigned kTemplate = 179;
constexpr unsigned kDigits = 1010;

int DigitValue(char c) {
  return c >= 'a' ? c - 'a' + 10 : c - '0';
}

}  // namespace

RawDataDialog::RawDataDialog(Prompt& prompt, std::size_t byteCount, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent), m_byteCount(byteCount) {
  if (QLineEdit* edit = Edit(kDigits)) {
    edit->setMaxLength(static_cast<int>(2 * byteCount));
    connect(edit, &QLineEdit::textChanged, this, [this] { Correct(); });
  }
}

void RawDataDialog::Correct() {
  QLineEdit* edit = Edit(kDigits);
  const QString text = edit->text();
  QString digits;
  int cursor = edit->cursorPosition();
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i].toLower();
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')) {
      digits += c;
    } else if (i < edit->cursorPosition()) {
      --cursor;
    }
  }
  digits.truncate(static_cast<int>(2 * m_byteCount));
  if (digits == text) return;
  edit->setText(digits);
  edit->setCursorPosition(cursor);
}

void RawDataDialog::Fill(const Variant& value) {
  std::string digits;
  if (value.vt() == (VT_ARRAY | VT_UI1) && value.parray()) {
    for (std::uint8_t byte : value.parray()->bytes) {
      char pair[4];
      std::snprintf(pair, sizeof pair, "%.2x", byte);
      digits += pair;
    }
  }
  SetFieldText(kDigits, digits);
}

Variant RawDataDialog::Result() const {
  const std::string digits = FieldText(kDigits);
  if (digits.empty()) return Variant();
  std::vector<std::uint8_t> bytes(m_byteCount, 0);
  for (std::size_t i = 0; i < digits.size() && i / 2 < m_byteCount; ++i) {
    const int shift = i % 2 == 0 ? 4 : 0;
    bytes[i / 2] = static_cast<std::uint8_t>(bytes[i / 2] | (DigitValue(digits[i]) << shift));
  }
  return Variant::Bytes(std::move(bytes), 0);
}
