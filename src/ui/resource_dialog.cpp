// ResourceDialog: building the widgets of a language file's dialog and their layout.
#include "ui/resource_dialog.h"

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

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "ui/ansi_text.h"

namespace {

constexpr unsigned kButtonOk = 1;
constexpr unsigned kButtonCancel = 2;

QWidget* MakeWidget(const DialogControl& control, QWidget* parent) {
  const QString text = FromAnsi(control.text);
  switch (control.kind) {
    case DialogControl::Kind::Label: {
      auto* label = new QLabel(text, parent);
      label->setWordWrap(true);
      return label;
    }
    case DialogControl::Kind::Edit:
      return new QLineEdit(text, parent);
    case DialogControl::Kind::Check:
      return new QCheckBox(text, parent);
    case DialogControl::Kind::Radio:
      return new QRadioButton(text, parent);
    case DialogControl::Kind::Combo: {
      auto* combo = new QComboBox(parent);
      for (const std::string& entry : control.entries) combo->addItem(FromAnsi(entry));
      return combo;
    }
    case DialogControl::Kind::Group:
      return new QGroupBox(text, parent);
    default:
      return new QLabel(text, parent);
  }
}

}  // namespace

ResourceDialog::ResourceDialog(unsigned dialogId, QWidget* parent)
    : QDialog(parent), m_dialogId(dialogId) {
  setObjectName(QStringLiteral("dialog%1").arg(dialogId));
}

QWidget* ResourceDialog::Control(unsigned id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void ResourceDialog::accept() {
  if (m_validate && !m_validate()) return;
  QDialog::accept();
}

void ResourceDialog::Build(const std::function<QWidget*(const DialogControl&)>& make) {
  const Dialog* resource = Language()->FindDialog(m_dialogId);
  setWindowTitle(resource ? FromAnsi(resource->title) : QStringLiteral("Zelvox"));
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QDialogButtonBox(this);
  QFormLayout* form = nullptr;      // rows of a label beside its field
  QVBoxLayout* groupBox = nullptr;  // the radio buttons inside the last group box
  QButtonGroup* radios = nullptr;   // the run of radio buttons being read
  QLabel* pendingLabel = nullptr;   // a label that may share its row with the next field
  auto addRow = [&](QWidget* widget) {
    layout->addWidget(widget);
    form = nullptr;
  };
  auto flushLabel = [&] {
    if (pendingLabel) addRow(pendingLabel);
    pendingLabel = nullptr;
  };
  const std::vector<DialogControl> none;
  for (const DialogControl& control : resource ? resource->controls : none) {
    if (control.kind == DialogControl::Kind::Button) {
      const bool ok = control.id == kButtonOk;
      QPushButton* button = buttons->addButton(
          FromAnsi(control.text), ok ? QDialogButtonBox::AcceptRole : QDialogButtonBox::RejectRole);
      button->setObjectName(QStringLiteral("control%1").arg(control.id));
      if (ok) button->setDefault(true);
      if (control.id == kButtonOk || control.id == kButtonCancel) m_controls[control.id] = button;
      continue;
    }
    QWidget* widget = make ? make(control) : nullptr;
    if (!widget) widget = MakeWidget(control, this);
    widget->setObjectName(QStringLiteral("control%1").arg(control.id));
    m_controls[control.id] = widget;

    if (control.kind != DialogControl::Kind::Radio) radios = nullptr;
    switch (control.kind) {
      case DialogControl::Kind::Label:
        flushLabel();
        pendingLabel = static_cast<QLabel*>(widget);
        groupBox = nullptr;
        break;
      case DialogControl::Kind::Edit:
      case DialogControl::Kind::Combo:
        if (pendingLabel) {
          pendingLabel->setBuddy(widget);
          pendingLabel->setWordWrap(false);
          if (!form) {
            form = new QFormLayout;
            layout->addLayout(form);
          }
          form->addRow(pendingLabel, widget);
          pendingLabel = nullptr;
        } else {
          addRow(widget);
        }
        groupBox = nullptr;
        break;
      case DialogControl::Kind::Group: {
        flushLabel();
        groupBox = new QVBoxLayout(static_cast<QGroupBox*>(widget));
        addRow(widget);
        break;
      }
      case DialogControl::Kind::Radio:
        flushLabel();
        if (!radios) radios = new QButtonGroup(this);
        radios->addButton(static_cast<QRadioButton*>(widget));
        if (groupBox) {
          groupBox->addWidget(widget);
        } else {
          addRow(widget);
        }
        break;
      default:
        flushLabel();
        groupBox = nullptr;
        addRow(widget);
        break;
    }
  }
  flushLabel();
  if (buttons->buttons().isEmpty()) buttons->setStandardButtons(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ResourceDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ResourceDialog::reject);
}
