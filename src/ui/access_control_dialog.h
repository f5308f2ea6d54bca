// AccessControlDialog: writes an access-control value (EIS 12 text form).
#pragma once

#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 173: edit 1008 the access code (six decimal digits at most), check boxes 1022 (E),
// 1023 (P), 1024 (D), 1025 (C), edit 1026 the index 0 to 15.
class AccessControlDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit AccessControlDialog(Prompt& prompt, QWidget* parent = nullptr);

  // From the text "cccccc E:e P:p D:d C:c I:i"; no value: code 000000, flags clear, index 0.
  void Fill(const Variant& value) override;
  // The text "<code> E:e P:p D:d C:c I:i".
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  std::uint32_t m_index = 0;
};
