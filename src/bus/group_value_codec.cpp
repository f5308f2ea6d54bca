// EncodeGroupValue and DecodeGroupValue over group items, under the tag lock.
#include "bus/group_value_codec.h"

#include "platform/clock.h"
#include "platform/current_language.h"
#include "project/group_item.h"

namespace {
// Only time values need the day names; look them up only then.
const DayNames kNoDays{};
}  // namespace

EisCoding CodingOf(const GroupItem& item) {
  return {item.m_eis, item.m_subtype, item.m_size, item.m_nativeDataType};
}

std::shared_ptr<const DayNames> CurrentDayNames() {
  // Built once per language in use, so decoding a time allocates only its own text.
  static std::mutex mutex;
  static std::weak_ptr<const LanguageResources> source;
  static std::shared_ptr<const DayNames> names;
  const auto language = Language();
  std::lock_guard guard(mutex);
  if (!names || source.lock() != language) {
    auto days = std::make_shared<DayNames>();
    for (unsigned i = 0; i < days->size(); ++i) (*days)[i] = language->String(138 + i);
    names = std::move(days);
    source = language;
  }
  return names;
}

Variant EncodeGroupValue(std::recursive_mutex& tagLock, const GroupItem& item,
                         const Variant& value) {
  std::lock_guard guard(tagLock);
  const EisCoding coding = CodingOf(item);
  if (coding.eis < 0 || coding.eis > 15) return {};
  return EncodeBusValue(coding, value, coding.eis == 3 ? *CurrentDayNames() : kNoDays);
}

bool DecodeGroupValue(std::recursive_mutex& tagLock, const Variant& data, GroupItem& item) {
  std::lock_guard guard(tagLock);
  item.m_timestamp = TimeStampNow();
  item.m_quality = OPC_QUALITY_BAD;
  const EisCoding coding = CodingOf(item);
  if (!DecodeBusValue(coding, data, coding.eis == 3 ? *CurrentDayNames() : kNoDays, item.m_value)) {
    return false;
  }
  item.m_quality = OPC_QUALITY_GOOD;
  return true;
}
