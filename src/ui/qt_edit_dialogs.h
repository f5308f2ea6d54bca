// QtEditDialogs: the document's group address, name and linked addresses dialogs as modal Qt
// dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "project/group_address_dialog.h"
#include "project/linked_addresses_dialog.h"
#include "project/name_dialog.h"

class Prompt;

// One modal dialog per call, over the window set by SetParent; messages through `prompt`.
class QtEditDialogs : public GroupAddressDialog, public NameDialog, public LinkedAddressesDialog {
 public:
  explicit QtEditDialogs(Prompt& prompt) : m_prompt(prompt) {}
  void SetParent(QWidget* parent) { m_parent = parent; }

  std::optional<GroupAddressEntry> Edit(const GroupItem& item,
                                        const GroupAddressEntry& entry) override;
  std::optional<std::string> AskName(unsigned prompt, std::string_view name) override;
  std::optional<std::vector<GroupItem*>> Edit(const GroupItem& item,
                                              const CurrentLinks& current) override;

 private:
  Prompt& m_prompt;
  QPointer<QWidget> m_parent;
};
