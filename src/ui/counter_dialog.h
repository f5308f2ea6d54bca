// CounterDialog: writes an 8-, 16- or 32-bit counter value.
#pragma once

#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 169: heading 1009, edit 1010 the value. Signed and unsigned readings of the counter's
// width are both accepted; the bits are what is sent.
class CounterDialog : public ValueDialog {
  Q_OBJECT

 public:
  // `bits`: 8, 16 or 32, the width of the counter.
  CounterDialog(Prompt& prompt, const QString& heading, int bits, QWidget* parent = nullptr);

  // The current number; no value: 0.
  void Fill(const Variant& value) override;
  // The number cut to the counter's width: a byte, a 16-bit or a 32-bit integer.
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  void Limit();

  int m_bits;
  std::int64_t m_value = 0;
};
