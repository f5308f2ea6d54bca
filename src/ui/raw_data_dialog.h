// RawDataDialog: writes the raw bytes of an untyped item as hexadecimal digits.
#pragma once

#include <cstddef>

#include "ui/value_dialog.h"

// Dialog 179: edit 1010 at most two lowercase hexadecimal digits per byte of the item.
class RawDataDialog : public ValueDialog {
  Q_OBJECT

 public:
  // `byteCount`: the item's bytes on the bus, (size in bits + 7) / 8.
  RawDataDialog(Prompt& prompt, std::size_t byteCount, QWidget* parent = nullptr);

  // A byte array as two digits per element; any other value: empty.
  void Fill(const Variant& value) override;
  // A byte array of the item's byte count, two digits per byte, a missing digit counting as
  // 0; VT_EMPTY when the field is empty (nothing is sent).
  Variant Result() const override;

 private:
  void Correct();

  std::size_t m_byteCount;
};
