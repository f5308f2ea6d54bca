// The write-value command: choosing, filling and running the dialog, then the document's write.
#include "ui/write_value_command.h"

#include <memory>
#include <mutex>
#include <vector>

#include "platform/change_type.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"
#include "ui/list_view.h"
#include "ui/value_dialogs.h"

namespace {

bool IsWhole(VARTYPE vt) {
  return vt == VT_BOOL || vt == VT_UI1 || vt == VT_I2 || vt == VT_I4;
}

std::int32_t WholeBits(const Variant& value) {
  switch (value.vt()) {
    case VT_UI1:
      return value.bVal();
    case VT_I4:
      return value.lVal();
    default:  // VT_I2, VT_BOOL
      return value.iVal();
  }
}

}  // namespace

Variant CanonicalValue(const Variant& entered, VARTYPE canonical) {
  if (entered.IsEmpty() || entered.vt() == canonical) return entered;
  if (IsWhole(entered.vt()) && IsWhole(canonical)) {
    const std::int32_t bits = WholeBits(entered);
    switch (canonical) {
      case VT_BOOL:
        return Variant::Bool(bits != 0);
      case VT_UI1:
        return Variant::UI1(static_cast<std::uint8_t>(bits));
      case VT_I2:
        return Variant::I2(static_cast<std::int16_t>(bits));
      default:
        return Variant::I4(bits);
    }
  }
  Variant converted;
  if (Failed(ChangeType(entered, canonical, converted))) return Variant();
  return converted;
}

HRESULT WriteEnteredValue(CDORAzivazDoc& doc, GroupItem& item, const Variant& entered) {
  std::lock_guard tagLock(doc.TagLock());
  const Variant value = CanonicalValue(entered, item.m_nativeDataType);
  if (value.IsEmpty()) return S_FALSE;
  return doc.QueueWrite(item, value);
}

void WriteValueCommand(CDORAzivazDoc& doc, const ListView& list, Prompt& prompt, QWidget* parent) {
  const std::vector<GroupItem*> items = list.SelectedItems();
  if (items.empty()) return;
  GroupItem& item = *items.front();
  const std::unique_ptr<ValueDialog> dialog = CreateValueDialog(item, prompt, parent);
  if (!dialog) return;
  Variant current;
  {
    std::lock_guard tagLock(doc.TagLock());
    current = item.m_value;
  }
  dialog->Fill(current);
  if (dialog->exec() != QDialog::Accepted) return;
  WriteEnteredValue(doc, item, dialog->Result());
}
