// QtGroupAddressDialog: one modal GroupAddressBox per edit.
#include "ui/qt_group_address_dialog.h"

#include "ui/group_address_box.h"

bool QtGroupAddressDialog::Edit(GroupItem& item, bool isNew, bool /*useGmt*/) {
  // Time stamps follow the time base chosen at start, which is the document's "UseGMT".
  GroupAddressBox box(item, isNew, m_prompt, m_parent);
  const bool ok = box.exec() == QDialog::Accepted;
  m_changed = ok && box.Changed();
  return ok;
}
