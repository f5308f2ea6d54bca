// ChangeItemType: a new EIS type for an item, with its row and node marks.
#include "project/change_item_type.h"

#include "project/eis_type.h"
#include "project/group_item.h"
#include "project/group_table_view.h"
#include "project/untyped_marks.h"

void ChangeItemType(GroupItem& item, std::int32_t eis, std::int32_t subtype, GroupTableView* view) {
  item.m_eis = eis;
  item.m_subtype = subtype;
  SetTypeFromEis(item, eis, subtype);
  item.m_untypedMark = eis == 0;
  if (eis != 0) {
    ClearUntypedMarksUpwards(item.m_parent, view);
  } else {
    MarkUntypedUpwards(item.m_parent, view);
  }
  if (view) view->RefreshItemType(item);
}
