// ValueDialog: the common frame of the value entry dialogs that write one group item by hand.
#pragma once

#include <QDialog>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/variant.h"

class Prompt;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The controls come from a dialog template of the language in use, each named "control<id>"
// and reached by its identifier; buttons 1 and 2 are OK and Cancel. OK runs the checks of the
// framework's data exchange: a refused field gets its message and the focus, and the dialog
// stays open.
class ValueDialog : public QDialog {
  Q_OBJECT

 public:
  ValueDialog(unsigned templateId, Prompt& prompt, QWidget* parent = nullptr);

  // Fills the controls from the item's current value; VT_EMPTY gives the dialog's defaults.
  virtual void Fill(const Variant& value) = 0;
  // After OK: the entered value in the width the dialog writes (a boolean, a byte, a 16- or
  // 32-bit integer, a float, a text or a byte array). VT_EMPTY: nothing is to be sent.
  virtual Variant Result() const = 0;

  // The control of the template with this identifier; null when it has none of that kind.
  QLineEdit* Edit(unsigned id) const;
  QRadioButton* Radio(unsigned id) const;
  QCheckBox* Check(unsigned id) const;
  QComboBox* Combo(unsigned id) const;
  QLabel* Label(unsigned id) const;
  QPushButton* Button(unsigned id) const;

  void accept() override;

 protected:
  // The checks of OK; false when a field was refused.
  virtual bool Exchange() { return true; }

  // The current value as a whole number (a boolean as -1 or 0); 0 without a number.
  static std::int32_t NumberOf(const Variant& value);
  // The current value's text in Windows-1252; empty when the value is no text.
  static std::string TextOf(const Variant& value);

  // The field's text in Windows-1252.
  std::string FieldText(unsigned id) const;
  void SetFieldText(unsigned id, const std::string& text);
  void SetFieldNumber(unsigned id, std::int64_t value);
  // While the user types in the field: its leading whole number, compared unsigned, above
  // `limit` is replaced by `limit` and the field shows it.
  void LimitUnsigned(unsigned id, std::uint32_t limit);

  // Data exchange of one field on OK: the number, or none after the framework's message
  // (the field then has the focus). A whole number outside min to max is no whole number.
  std::optional<std::int64_t> ExchangeWhole(unsigned id, std::int64_t min, std::int64_t max);
  std::optional<std::uint32_t> ExchangeUnsigned(unsigned id);
  std::optional<std::uint32_t> ExchangeRange(unsigned id, std::uint32_t min, std::uint32_t max);
  std::optional<float> ExchangeReal(unsigned id);
  // Shows the message text and gives the field the focus.
  void Refuse(unsigned id, const std::string& message);

 private:
  QWidget* Control(unsigned id) const;
  void Build(unsigned templateId);

  Prompt& m_prompt;
  std::map<unsigned, QWidget*> m_controls;
};
