// AccessControlDialog: code, the four flags and the index limited to 15.
#include "ui/access_control_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <cstdio>
#include <string>

#include "bus/group_value_texts.h"
#include "platform/code_page.h"

namespace {

constexpr unsigned kTemplate = 173;
constexpr unsigned kCode = 1008;
constexpr unsigned kIndex = 1026;
// The flag check boxes and their bits in the fourth byte of the value.
constexpr std::pair<unsigned, int> kFlags[] = {{1022, 7}, {1023, 6}, {1024, 5}, {1025, 4}};
constexpr int kCodeDigits = 6;

}  // namespace

AccessControlDialog::AccessControlDialog(Prompt& prompt, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {
  if (QLineEdit* code = Edit(kCode)) {
    code->setMaxLength(kCodeDigits);
    // The code travels as BCD digits: any other character would send a digit nobody typed.
    code->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), code));
  }
  LimitUnsigned(kIndex, 15);
}

void AccessControlDialog::Fill(const Variant& value) {
  if (value.IsEmpty()) {
    SetFieldText(kCode, "000000");
    for (const auto& [id, bit] : kFlags) {
      if (QCheckBox* box = Check(id)) box->setChecked(false);
    }
    SetFieldNumber(kIndex, 0);
    return;
  }
  const std::string text = TextOf(value);
  SetFieldText(kCode, text.substr(0, text.find(' ')));
  // Flags and index as the codec reads them before sending.
  const std::uint8_t flags = ParseAccessText(text)[3];
  for (const auto& [id, bit] : kFlags) {
    if (QCheckBox* box = Check(id)) box->setChecked((flags >> bit) & 1);
  }
  SetFieldNumber(kIndex, flags & 0x0F);
}

bool AccessControlDialog::Exchange() {
  const std::optional<std::uint32_t> index = ExchangeUnsigned(kIndex);
  if (!index) return false;
  m_index = *index;
  return true;
}

Variant AccessControlDialog::Result() const {
  int flag[4] = {};
  for (std::size_t i = 0; i < 4; ++i) {
    const QCheckBox* box = Check(kFlags[i].first);
    flag[i] = box && box->isChecked() ? 1 : 0;
  }
  char tail[64];
  std::snprintf(tail, sizeof tail, " E:%d P:%d D:%d C:%d I:%u", flag[0], flag[1], flag[2], flag[3],
                m_index);
  return Variant::Bstr(AnsiToUtf16(FieldText(kCode) + tail));
}
