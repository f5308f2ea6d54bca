// CharacterDialog: the list entry's index is the character code.
#include "ui/character_dialog.h"

#include <QComboBox>
#include <cstdint>

namespace {

constexpr unsigned kTemplate = 170;
constexpr unsigned kCharacter = 1010;

}  // namespace

CharacterDialog::CharacterDialog(Prompt& prompt, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {}

void CharacterDialog::Fill(const Variant& value) {
  QComboBox* list = Combo(kCharacter);
  if (!list) return;
  const int code = value.IsEmpty() ? 0 : NumberOf(value);
  // A code without an entry leaves the list without a choice.
  list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}

Variant CharacterDialog::Result() const {
  const QComboBox* list = Combo(kCharacter);
  const int index = list ? list->currentIndex() : -1;
  return Variant::UI1(static_cast<std::uint8_t>(index));
}
