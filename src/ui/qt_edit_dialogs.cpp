// QtEditDialogs: each call shows its dialog box and hands back what OK confirmed.
#include "ui/qt_edit_dialogs.h"

#include "ui/group_address_box.h"
#include "ui/linked_addresses_box.h"
#include "ui/name_box.h"

std::optional<GroupAddressEntry> QtEditDialogs::Edit(const GroupItem& item,
                                                     const GroupAddressEntry& entry) {
  GroupAddressBox box(item, entry, m_prompt, m_parent);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.Entry();
}

std::optional<std::string> QtEditDialogs::AskName(unsigned prompt, std::string_view name) {
  NameBox box(m_prompt, prompt, std::string(name), m_parent);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.Name();
}

std::optional<std::vector<GroupItem*>> QtEditDialogs::Edit(const GroupItem& item,
                                                           const CurrentLinks& current) {
  LinkedAddressesBox box(item, current, m_parent);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.Chosen();
}
