// GroupAddressBox: the group address dialog (184): address, name, type, priority, initial read.
#pragma once

#include <QDialog>

#include "project/group_address_entry.h"

class GroupItem;
class Prompt;
class QCheckBox;
class QComboBox;
class QLineEdit;

// Opened for a new item (the new group item command) or an existing one (item properties)
// with the fields of the item. OK checks the typed fields (ranges, then uniqueness in the
// project); the first failed check shows its message and keeps the dialog open. The dialog
// changes nothing: the command saves Entry().
class GroupAddressBox : public QDialog {
  Q_OBJECT

 public:
  GroupAddressBox(const GroupItem& item, const GroupAddressEntry& entry, Prompt& prompt,
                  QWidget* parent = nullptr);

  // The fields as they stand.
  GroupAddressEntry Entry() const;

  QLineEdit& MainEdit() { return *m_main; }
  QLineEdit& MiddleEdit() { return *m_middle; }
  QLineEdit& SubEdit() { return *m_sub; }
  QLineEdit& NameEdit() { return *m_name; }
  QComboBox& TypeBox() { return *m_type; }
  QComboBox& PriorityBox() { return *m_priority; }
  QCheckBox& InitialReadBox() { return *m_initialRead; }

  void accept() override;

 private:
  const GroupItem& m_item;
  Prompt& m_prompt;
  GroupAddressEntry m_opened;
  QLineEdit* m_main = nullptr;
  QLineEdit* m_middle = nullptr;
  QLineEdit* m_sub = nullptr;
  QLineEdit* m_name = nullptr;
  QComboBox* m_type = nullptr;
  QComboBox* m_priority = nullptr;
  QCheckBox* m_initialRead = nullptr;
};
