// GroupAddressBox: the group address dialog (184): address, name, type, priority, initial read.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

class GroupItem;
class Prompt;
class QCheckBox;
class QComboBox;
class QLineEdit;

// Opened for a new item (the new group item command) or an existing one (item properties).
// OK checks the address (ranges, then uniqueness in the project) and stores the changes in the
// item; the first failed check shows its message and keeps the dialog open.
class GroupAddressBox : public QDialog {
  Q_OBJECT

 public:
  // A middle number of this value marks a two-level address.
  static constexpr unsigned kTwoLevel = 65535;

  GroupAddressBox(GroupItem& item, bool isNew, Prompt& prompt, QWidget* parent = nullptr);

  // Whether saving changed the item (the caller then marks the document modified).
  bool Changed() const { return m_changed; }
  bool MainEditable() const { return m_mainEditable; }
  bool MiddleEditable() const { return m_middleEditable; }

  QLineEdit& MainEdit() { return *m_main; }
  QLineEdit& MiddleEdit() { return *m_middle; }
  QLineEdit& SubEdit() { return *m_sub; }
  QLineEdit& NameEdit() { return *m_name; }
  QComboBox& TypeBox() { return *m_type; }
  QComboBox& PriorityBox() { return *m_priority; }
  QCheckBox& InitialReadBox() { return *m_initialRead; }

  void accept() override;

 private:
  // The number in `edit` when it is not empty and at most `max`; else `message` is shown.
  std::optional<unsigned> ReadNumber(QLineEdit& edit, unsigned max, unsigned message);
  bool IsUnique(unsigned main, unsigned middle, unsigned sub) const;
  void Save(unsigned main, unsigned middle, unsigned sub);

  GroupItem& m_item;
  Prompt& m_prompt;
  bool m_isNew;
  bool m_mainEditable = false;
  bool m_middleEditable = false;
  bool m_changed = false;
  unsigned m_middleNumber = kTwoLevel;  // as opened
  QLineEdit* m_main = nullptr;
  QLineEdit* m_middle = nullptr;
  QLineEdit* m_sub = nullptr;
  QLineEdit* m_name = nullptr;
  QComboBox* m_type = nullptr;
  QComboBox* m_priority = nullptr;
  QCheckBox* m_initialRead = nullptr;
};

// The priority of a priority word (System, High, Alarm, Low); any other text is Alarm.
std::int32_t PriorityFromText(const QString& text);
