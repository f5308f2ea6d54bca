// ConvertWrittenValue: the byte-array rule for untyped items, ChangeType for the others.
#include "opc/written_value.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/change_type.h"
#include "platform/code_page.h"
#include "project/group_item.h"

HRESULT ConvertWrittenValue(const GroupItem& item, const Variant& value, Variant& out) {
  if (item.m_nativeDataType == (VT_ARRAY | VT_UI1) && value.vt() == VT_BSTR) {
    const std::string text = Utf16ToAnsi(value.bstrVal());
    const std::size_t count = item.m_size > 0 ? (static_cast<std::size_t>(item.m_size) + 7) / 8 : 0;
    std::vector<std::uint8_t> bytes(count, 0);
    std::copy_n(text.begin(), std::min(count, text.size()), bytes.begin());
    out = Variant::Bytes(std::move(bytes), 0);
    return S_OK;
  }
  if (item.m_nativeDataType == (VT_ARRAY | VT_UI1) && value.vt() == (VT_ARRAY | VT_UI1) &&
      value.parray() != nullptr && item.m_size > 0 &&
      value.parray()->bytes.size() > (static_cast<std::size_t>(item.m_size) + 7) / 8) {
    return DISP_E_OVERFLOW;  // more bytes than the item's telegram can carry
  }
  return ChangeType(value, item.m_nativeDataType, out);
}
