// ValueDialog: controls from the dialog template, OK and Cancel, the framework's field checks.
#include "ui/value_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>

#include "platform/change_type.h"
#include "platform/code_page.h"
#include "platform/current_language.h"
#include "platform/decimal_value.h"
#include "platform/hresult.h"
#include "platform/language_resources.h"
#include "platform/prompt.h"
#include "ui/ansi_text.h"
#include "ui/entry_numbers.h"

namespace {

constexpr unsigned kIdOk = 1;
constexpr unsigned kIdCancel = 2;

// The framework's data exchange messages.
constexpr unsigned kStrEnterInteger = 61712;
constexpr unsigned kStrEnterNumber = 61713;
constexpr unsigned kStrEnterIntegerRange = 61714;
constexpr unsigned kStrEnterPositiveInteger = 61719;

QString ObjectName(unsigned id) {
  return QStringLiteral("control%1").arg(id);
}

}  // namespace

ValueDialog::ValueDialog(unsigned templateId, Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
  Build(templateId);
}

void ValueDialog::Build(unsigned templateId) {
  const auto language = Language();
  const Dialog* resource = language->FindDialog(templateId);
  setObjectName(QStringLiteral("valueDialog%1").arg(templateId));
  setWindowTitle(resource ? FromAnsi(resource->title) : QStringLiteral("Zelvox"));

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  // The radios of a template form one set; a group box holds the radios that follow it.
  auto* radios = new QButtonGroup(this);
  QVBoxLayout* radioBox = nullptr;
  QLabel* pendingLabel = nullptr;

  // A label stands beside the edit or drop-down list that follows it, else on its own row.
  auto flushLabel = [&] {
    if (pendingLabel) form->addRow(pendingLabel);
    pendingLabel = nullptr;
  };
  auto addField = [&](QWidget* widget) {
    if (pendingLabel) {
      pendingLabel->setBuddy(widget);
      form->addRow(pendingLabel, widget);
      pendingLabel = nullptr;
    } else {
      form->addRow(widget);
    }
  };
  auto add = [&](QWidget* widget) {
    flushLabel();
    form->addRow(widget);
  };

  if (resource) {
    for (const DialogControl& control : resource->controls) {
      const QString text = FromAnsi(control.text);
      QWidget* widget = nullptr;
      if (control.kind != DialogControl::Kind::Radio) radioBox = nullptr;
      switch (control.kind) {
        case DialogControl::Kind::Button: {
          const auto role =
              control.id == kIdOk ? QDialogButtonBox::AcceptRole : QDialogButtonBox::RejectRole;
          QPushButton* button = buttons->addButton(text, role);
          button->setDefault(control.id == kIdOk);
          widget = button;
          break;
        }
        case DialogControl::Kind::Label: {
          flushLabel();
          auto* label = new QLabel(text, this);
          pendingLabel = label;
          widget = label;
          break;
        }
        case DialogControl::Kind::Edit:
          widget = new QLineEdit(text, this);
          addField(widget);
          break;
        case DialogControl::Kind::Combo: {
          auto* combo = new QComboBox(this);
          for (const std::string& entry : control.entries) combo->addItem(FromAnsi(entry));
          widget = combo;
          addField(widget);
          break;
        }
        case DialogControl::Kind::Check:
          widget = new QCheckBox(text, this);
          add(widget);
          break;
        case DialogControl::Kind::Group: {
          auto* box = new QGroupBox(text, this);
          radioBox = new QVBoxLayout(box);
          widget = box;
          add(widget);
          break;
        }
        case DialogControl::Kind::Radio: {
          auto* radio = new QRadioButton(text, this);
          radios->addButton(radio);
          if (radioBox) {
            radioBox->addWidget(radio);
          } else {
            add(radio);
          }
          widget = radio;
          break;
        }
        default:
          break;
      }
      if (!widget) continue;
      widget->setObjectName(ObjectName(control.id));
      m_controls[control.id] = widget;
    }
  }
  flushLabel();
  if (!Button(kIdOk)) buttons->addButton(QDialogButtonBox::Ok)->setObjectName(ObjectName(kIdOk));
  if (!Button(kIdCancel))
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(ObjectName(kIdCancel));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ValueDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ValueDialog::reject);
}

QWidget* ValueDialog::Control(unsigned id) const {
  const auto found = m_controls.find(id);
  return found == m_controls.end() ? findChild<QWidget*>(ObjectName(id)) : found->second;
}

QLineEdit* ValueDialog::Edit(unsigned id) const {
  return qobject_cast<QLineEdit*>(Control(id));
}

QRadioButton* ValueDialog::Radio(unsigned id) const {
  return qobject_cast<QRadioButton*>(Control(id));
}

QCheckBox* ValueDialog::Check(unsigned id) const {
  return qobject_cast<QCheckBox*>(Control(id));
}

QComboBox* ValueDialog::Combo(unsigned id) const {
  return qobject_cast<QComboBox*>(Control(id));
}

QLabel* ValueDialog::Label(unsigned id) const {
  return qobject_cast<QLabel*>(Control(id));
}

QPushButton* ValueDialog::Button(unsigned id) const {
  return qobject_cast<QPushButton*>(Control(id));
}

void ValueDialog::accept() {
  if (Exchange()) QDialog::accept();
}

std::int32_t ValueDialog::NumberOf(const Variant& value) {
  Variant number;
  if (value.IsEmpty() || Failed(ChangeType(value, VT_I4, number))) return 0;
  return number.lVal();
}

std::string ValueDialog::TextOf(const Variant& value) {
  return value.vt() == VT_BSTR ? Utf16ToAnsi(value.bstrVal()) : std::string();
}

std::string ValueDialog::FieldText(unsigned id) const {
  const QLineEdit* edit = Edit(id);
  return edit ? ToAnsi(edit->text()) : std::string();
}

void ValueDialog::SetFieldText(unsigned id, const std::string& text) {
  if (QLineEdit* edit = Edit(id)) edit->setText(FromAnsi(text));
}

void ValueDialog::SetFieldNumber(unsigned id, std::int64_t value) {
  SetFieldText(id, std::to_string(value));
}

void ValueDialog::LimitUnsigned(unsigned id, std::uint32_t limit) {
  QLineEdit* edit = Edit(id);
  if (!edit) return;
  connect(edit, &QLineEdit::textChanged, this, [this, id, limit] {
    const auto value = static_cast<std::uint32_t>(DecimalValue(FieldText(id)));
    if (value > limit) SetFieldNumber(id, limit);
  });
}

void ValueDialog::Refuse(unsigned id, const std::string& message) {
  m_prompt.AskText(message, PromptKind::Warning, PromptButtons::Ok);
  if (QLineEdit* edit = Edit(id)) {
    edit->setFocus();
    edit->selectAll();
  }
}

std::optional<std::int64_t> ValueDialog::ExchangeWhole(unsigned id, std::int64_t min,
                                                       std::int64_t max) {
  const std::optional<std::int64_t> value = WholeNumber(FieldText(id));
  if (!value || *value < min || *value > max) {
    Refuse(id, FormatMessage(kStrEnterInteger));
    return std::nullopt;
  }
  return value;
}

std::optional<std::uint32_t> ValueDialog::ExchangeUnsigned(unsigned id) {
  const std::optional<std::uint32_t> value = UnsignedNumber(FieldText(id));
  if (!value) Refuse(id, FormatMessage(kStrEnterPositiveInteger));
  return value;
}

std::optional<std::uint32_t> ValueDialog::ExchangeRange(unsigned id, std::uint32_t min,
                                                        std::uint32_t max) {
  const std::optional<std::uint32_t> value = ExchangeUnsigned(id);
  if (!value) return std::nullopt;
  if (*value < min || *value > max) {
    Refuse(id, FormatMessage(kStrEnterIntegerRange, min, max));
    return std::nullopt;
  }
  return value;
}

std::optional<float> ValueDialog::ExchangeReal(unsigned id) {
  // The number grammar of the OLE conversion: blanks, sign, digits, decimal point, exponent.
  Variant real;
  if (Failed(ChangeType(Variant::Bstr(AnsiToUtf16(FieldText(id))), VT_R4, real))) {
    Refuse(id, FormatMessage(kStrEnterNumber));
    return std::nullopt;
  }
  return real.fltVal();
}
