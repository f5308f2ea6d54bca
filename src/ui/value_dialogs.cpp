// CreateValueDialog: the table of dialogs by EIS number and subtype, with their headings.
#include "ui/value_dialogs.h"

#include "project/group_item.h"
#include "ui/access_control_dialog.h"
#include "ui/character_dialog.h"
#include "ui/counter_dialog.h"
#include "ui/date_dialog.h"
#include "ui/dimming_control_dialog.h"
#include "ui/float_dialog.h"
#include "ui/priority_control_dialog.h"
#include "ui/raw_data_dialog.h"
#include "ui/scaling_dialog.h"
#include "ui/string_dialog.h"
#include "ui/switch_dialog.h"
#include "ui/time_dialog.h"

namespace {

std::unique_ptr<ValueDialog> Switch(Prompt& prompt, const char* heading, QWidget* parent,
                                    const char* off = "Off (0)", const char* on = "On (1)") {
  return std::make_unique<SwitchDialog>(prompt, QString::fromLatin1(heading),
                                        QString::fromLatin1(off), QString::fromLatin1(on), parent);
}

}  // namespace

std::unique_ptr<ValueDialog> CreateValueDialog(const GroupItem& item, Prompt& prompt,
                                               QWidget* parent) {
  using Unit = ScalingDialog::Unit;
  switch (item.m_eis) {
    case 0: {
      const std::size_t bytes =
          item.m_size > 0 ? (static_cast<std::size_t>(item.m_size) + 7) / 8 : 0;
      return std::make_unique<RawDataDialog>(prompt, bytes, parent);
    }
    case 1:
      return Switch(prompt, "Switching", parent);
    case 2:
      if (item.m_subtype == 1) return Switch(prompt, "Dimming - position", parent);
      if (item.m_subtype == 2) return std::make_unique<DimmingControlDialog>(prompt, parent);
      if (item.m_subtype == 3)
        return std::make_unique<ScalingDialog>(prompt, QStringLiteral("Dimming - value"),
                                               Unit::Percent, false, parent);
      return nullptr;
    case 3:
      return std::make_unique<TimeDialog>(prompt, parent);
    case 4:
      return std::make_unique<DateDialog>(prompt, parent);
    case 5:
      return std::make_unique<FloatDialog>(prompt, QStringLiteral("Value"), true, parent);
    case 6:
      if (item.m_subtype == 1)
        return std::make_unique<ScalingDialog>(prompt, QStringLiteral("Scaling - percent"),
                                               Unit::Percent, true, parent);
      return std::make_unique<ScalingDialog>(prompt, QStringLiteral("Scaling - degree"),
                                             Unit::Degrees, false, parent);
    case 7:
      return Switch(prompt, "Drive control- move", parent, "up / open (0)", "down / close (1)");
    case 8:
      if (item.m_subtype == 1) return Switch(prompt, "Priority - position", parent);
      if (item.m_subtype == 2) return std::make_unique<PriorityControlDialog>(prompt, parent);
      return nullptr;
    case 9:
      return std::make_unique<FloatDialog>(prompt, QStringLiteral("Float"), false, parent);
    case 10:
      return std::make_unique<CounterDialog>(prompt, QStringLiteral("16Bit Counter"), 16, parent);
    case 11:
      return std::make_unique<CounterDialog>(prompt, QStringLiteral("32Bit Counter"), 32, parent);
    case 12:
      return std::make_unique<AccessControlDialog>(prompt, parent);
    case 13:
      return std::make_unique<CharacterDialog>(prompt, parent);
    case 14:
      return std::make_unique<CounterDialog>(prompt, QStringLiteral("8Bit Counter"), 8, parent);
    case 15:
      return std::make_unique<StringDialog>(prompt, parent);
    default:
      return nullptr;
  }
}
