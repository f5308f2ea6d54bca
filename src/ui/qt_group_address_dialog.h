// QtGroupAddressDialog: the document's group address dialog shown as a modal GroupAddressBox.
#pragma once

#include <QPointer>
#include <QWidget>

#include "project/group_address_dialog.h"

class Prompt;

class QtGroupAddressDialog : public GroupAddressDialog {
 public:
  explicit QtGroupAddressDialog(Prompt& prompt) : m_prompt(prompt) {}
  // The window the dialog is modal to.
  void SetParent(QWidget* parent) { m_parent = parent; }

  bool Edit(GroupItem& item, bool isNew, bool useGmt) override;
  // Whether the last OK changed the item.
  bool Changed() const { return m_changed; }

 private:
  Prompt& m_prompt;
  QPointer<QWidget> m_parent;
  bool m_changed = false;
};
