// GroupAddressBox: filling the fields from the item, the checks of OK and the saving.
#include "ui/group_address_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <mutex>

#include "platform/clock.h"
#include "platform/prompt.h"
#include "project/dorazivaz_doc.h"
#include "project/eis_type.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/item_id.h"
#include "ui/ansi_text.h"
#include "ui/dialog_texts.h"
#include "ui/list_texts.h"

namespace {

constexpr unsigned kAddressDialog = 184;
constexpr unsigned kMainControl = 1010;
constexpr unsigned kMiddleControl = 1011;
constexpr unsigned kSubControl = 1012;
constexpr unsigned kNameControl = 1013;
constexpr unsigned kTypeControl = 1014;
constexpr unsigned kPriorityControl = 1015;
constexpr unsigned kInitialReadControl = 1016;

constexpr unsigned kStrMainRange = 152;
constexpr unsigned kStrMiddleRange = 158;
constexpr unsigned kStrSubRange = 159;
constexpr unsigned kStrNotUnique = 160;
constexpr unsigned kStrSubRangeTwoLevel = 197;

constexpr unsigned kMaxMain = 31;
constexpr unsigned kMaxMiddle = 7;
constexpr unsigned kMaxSub = 255;
constexpr unsigned kMaxSubTwoLevel = 2047;

// The decimal number at the start of `text` (0 when there is none).
unsigned LeadingNumber(std::string_view text) {
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

bool IsMiddleGroup(const GroupNode& node) {
  return node.m_parent && node.m_parent->m_parent;
}

// Whether any item of `node` other than `self` has the sub number.
bool HoldsSub(const GroupNode& node, unsigned sub, const GroupItem& self) {
  for (const auto& item : node.m_items) {
    if (item.get() != &self && static_cast<unsigned>(item->m_subNumber) == sub) return true;
  }
  return false;
}

QLineEdit* AddEdit(QDialog& dialog, QFormLayout& form, unsigned label, unsigned control) {
  auto* edit = new QLineEdit(&dialog);
  edit->setObjectName(ControlObjectName(control));
  form.addRow(DialogControlText(kAddressDialog, label), edit);
  return edit;
}

QComboBox* AddCombo(QDialog& dialog, QFormLayout& form, unsigned label, unsigned control) {
  auto* combo = new QComboBox(&dialog);
  combo->setObjectName(ControlObjectName(control));
  combo->addItems(DialogControlEntries(kAddressDialog, control));
  form.addRow(DialogControlText(kAddressDialog, label), combo);
  return combo;
}

// Chooses `text` in a drop-down list, adding it when the list lacks it, so that OK never
// changes a value the user did not touch.
void ChooseText(QComboBox& combo, const QString& text) {
  int index = combo.findText(text);
  if (index < 0) {
    combo.addItem(text);
    index = combo.count() - 1;
  }
  combo.setCurrentIndex(index);
}

}  // namespace

std::int32_t PriorityFromText(const QString& text) {
  for (std::int32_t priority : {kPrioritySystem, kPriorityHigh, kPriorityAlarm, kPriorityLow}) {
    if (text == QLatin1String(PriorityText(priority))) return priority;
  }
  return kPriorityAlarm;
}

GroupAddressBox::GroupAddressBox(GroupItem& item, bool isNew, Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_item(item), m_prompt(prompt), m_isNew(isNew) {
  setObjectName(QStringLiteral("groupAddressDialog"));
  setWindowTitle(DialogTitle(kAddressDialog, QStringLiteral("Group Address")));
  auto* form = new QFormLayout(this);
  m_main = AddEdit(*this, *form, 1020, kMainControl);
  m_middle = AddEdit(*this, *form, 1021, kMiddleControl);
  m_sub = AddEdit(*this, *form, 1022, kSubControl);
  m_name = AddEdit(*this, *form, 1023, kNameControl);
  m_type = AddCombo(*this, *form, 1024, kTypeControl);
  m_priority = AddCombo(*this, *form, 1025, kPriorityControl);
  m_initialRead = new QCheckBox(DialogControlText(kAddressDialog, kInitialReadControl), this);
  m_initialRead->setObjectName(ControlObjectName(kInitialReadControl));
  form->addRow(m_initialRead);
  form->addRow(CreateDialogButtons(*this, kAddressDialog));

  // A number is editable only while the group that carries it has none yet.
  if (GroupNode* node = item.m_parent) {
    if (IsMiddleGroup(*node)) {
      m_middleEditable = node->m_number == -1;
      m_mainEditable = node->m_parent->m_number == -1;
    } else if (node->m_parent) {
      m_mainEditable = node->m_number == -1;
    }
  }

  const std::string_view text = item.m_addressText;
  const auto first = text.find('/');
  const auto second = first == std::string_view::npos ? first : text.find('/', first + 1);
  if (second != std::string_view::npos) m_middleNumber = LeadingNumber(text.substr(first + 1));
  m_main->setText(QString::number(LeadingNumber(text)));
  if (m_middleNumber != kTwoLevel) m_middle->setText(QString::number(m_middleNumber));
  m_sub->setText(QString::number(item.m_subNumber));
  m_main->setEnabled(m_mainEditable);
  m_middle->setEnabled(m_middleEditable);

  m_name->setText(FromAnsi(item.m_name));
  ChooseText(*m_type, FromAnsi(item.m_typeName));
  ChooseText(*m_priority, QLatin1String(PriorityText(item.m_priority)));
  m_initialRead->setChecked(item.m_initialRead != 0);
  m_sub->setFocus();
}

std::optional<unsigned> GroupAddressBox::ReadNumber(QLineEdit& edit, unsigned max,
                                                    unsigned message) {
  const QString text = edit.text().trimmed();
  bool ok = false;
  // Read as unsigned: a negative or non-numeric text fails like one out of range.
  const unsigned value = text.toUInt(&ok);
  if (ok && value <= max) return value;
  m_prompt.Show(message, {}, PromptKind::Warning);
  edit.setFocus();
  edit.selectAll();
  return std::nullopt;
}

bool GroupAddressBox::IsUnique(unsigned main, unsigned middle, unsigned sub) const {
  const GroupNode& root = RootOf(*m_item.m_parent);
  // Every group of the number counts, so a duplicate number anywhere is found.
  for (const auto& mainGroup : root.m_children) {
    if (mainGroup->m_deviceNode || mainGroup->m_number != static_cast<std::int32_t>(main)) continue;
    if (m_mainEditable) return false;  // another group already has that main number
    if (middle == kTwoLevel) {
      if (HoldsSub(*mainGroup, sub, m_item)) return false;
      continue;
    }
    for (const auto& middleGroup : mainGroup->m_children) {
      if (middleGroup->m_number != static_cast<std::int32_t>(middle)) continue;
      if (m_middleEditable) return false;
      if (HoldsSub(*middleGroup, sub, m_item)) return false;
    }
  }
  return true;
}

void GroupAddressBox::accept() {
  unsigned main = LeadingNumber(ToAnsi(m_main->text()));
  unsigned middle = m_middleNumber;
  if (m_mainEditable) {
    const auto value = ReadNumber(*m_main, kMaxMain, kStrMainRange);
    if (!value) return;
    main = *value;
  }
  if (m_middleEditable) {
    const auto value = ReadNumber(*m_middle, kMaxMiddle, kStrMiddleRange);
    if (!value) return;
    middle = *value;
  }
  const bool twoLevel = middle == kTwoLevel;
  const auto sub = twoLevel ? ReadNumber(*m_sub, kMaxSubTwoLevel, kStrSubRangeTwoLevel)
                            : ReadNumber(*m_sub, kMaxSub, kStrSubRange);
  if (!sub) return;
  const std::string text =
      twoLevel ? std::to_string(main) + "/" + std::to_string(*sub)
               : std::to_string(main) + "/" + std::to_string(middle) + "/" + std::to_string(*sub);
  if ((text != m_item.m_addressText || m_isNew) && !IsUnique(main, middle, *sub)) {
    m_prompt.Show(kStrNotUnique, {}, PromptKind::Warning);
    m_sub->setFocus();
    return;
  }
  Save(main, middle, *sub);
  QDialog::accept();
}

void GroupAddressBox::Save(unsigned main, unsigned middle, unsigned sub) {
  GroupItem& item = m_item;
  GroupNode& node = *item.m_parent;
  std::unique_lock<std::recursive_mutex> tagLock;
  if (item.m_pDoc) tagLock = std::unique_lock(item.m_pDoc->TagLock());

  if (m_mainEditable) {
    if (m_middleEditable) {
      node.m_number = static_cast<std::int32_t>(middle);
      node.m_parent->m_number = static_cast<std::int32_t>(main);
    } else {
      node.m_number = static_cast<std::int32_t>(main);
    }
  } else if (m_middleEditable) {
    node.m_number = static_cast<std::int32_t>(middle);
  }
  // A new item's text ("1/2/") lacks its sub number even when the sub number stays 0.
  if (m_isNew || m_mainEditable || m_middleEditable ||
      static_cast<unsigned>(item.m_subNumber) != sub) {
    item.m_subNumber = static_cast<std::int32_t>(sub);
    std::string text = std::to_string(sub);
    for (const GroupNode* above = &node; above->m_parent; above = above->m_parent)
      text = std::to_string(above->m_number) + "/" + text;
    item.m_addressText = text;
    item.m_itemId = MakeItemId(node, text);
    m_changed = true;
  }

  const std::string name = ToAnsi(m_name->text());
  if (name != item.m_name) {
    item.m_name = name;
    m_changed = true;
  }
  const std::string type = ToAnsi(m_type->currentText());
  if (type != item.m_typeName) {
    SetTypeFromEsf(item, type);
    // The old value means something else in the new type: the item waits for a new one.
    item.m_value = Variant();
    item.m_timestamp = TimeStampNow();
    item.m_quality = OPC_QUALITY_UNCERTAIN;
    m_changed = true;
  }
  const std::int32_t priority = PriorityFromText(m_priority->currentText());
  if (priority != item.m_priority) {
    item.m_priority = priority;
    m_changed = true;
  }
  const std::int32_t initialRead = m_initialRead->isChecked() ? 1 : 0;
  if (initialRead != item.m_initialRead) {
    item.m_initialRead = initialRead;
    m_changed = true;
  }
}
