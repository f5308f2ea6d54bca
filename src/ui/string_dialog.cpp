// StringDialog: one edit field of at most 14 characters.
#include "ui/string_dialog.h"

#include <QLineEdit>

#include "platform/code_page.h"

namespace {

constexpr unsigned kTemplate = 172;
constexpr unsigned kText = 1010;

}  // namespace

StringDialog::StringDialog(Prompt& prompt, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {
  if (QLineEdit* edit = Edit(kText)) edit->setMaxLength(kMaxCharacters);
}

void StringDialog::Fill(const Variant& value) {
  SetFieldText(kText, TextOf(value));
}

Variant StringDialog::Result() const {
  // Through Windows-1252, as the bus carries it: a character it lacks is sent as "?".
  return Variant::Bstr(AnsiToUtf16(FieldText(kText)));
}
