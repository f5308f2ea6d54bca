// Simulation: values by EIS type, the tick over the name space, the mode switch.
#include "bus/simulation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "bus/bus_value_coding.h"
#include "bus/bus_views.h"
#include "bus/group_value_codec.h"
#include "bus/row_refresh_queue.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"

namespace {

int Random(int count) {
  return std::rand() % count;
}

std::uint8_t RandomByte() {
  return static_cast<std::uint8_t>(std::rand() & 0xFF);
}

Variant Text(const std::string& ansi) {
  return Variant::Bstr(AnsiToUtf16(ansi));
}

bool Has(const GroupItem& item, VARTYPE vt) {
  return item.m_value.vt() == vt;
}

Variant Toggled(const GroupItem& item) {
  if (!Has(item, VT_BOOL)) return Variant::Bool(Random(2) != 0);
  return Variant::Bool(item.m_value.boolVal() == VARIANT_FALSE);
}

Variant Eis5Value() {
  const int r = std::rand();
  Variant out;
  const EisCoding coding{5, 0, 16, VT_R4};
  DecodeBusValue(coding,
                 Variant::Bytes({static_cast<std::uint8_t>(r & 0xFF),
                                 static_cast<std::uint8_t>((r >> 8) & 0xFF)}),
                 {}, out);
  return out;
}

Variant TimeValue() {
  const std::uint8_t bytes[3] = {static_cast<std::uint8_t>((Random(8) << 5) | Random(24)),
                                 static_cast<std::uint8_t>(Random(60)),
                                 static_cast<std::uint8_t>(Random(60))};
  return Text(FormatTimeText(bytes, *CurrentDayNames()));
}

Variant DateValue() {
  const int year = 1990 + Random(100);
  const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(1 + Random(31)),
                                 static_cast<std::uint8_t>(1 + Random(12)),
                                 static_cast<std::uint8_t>(year % 100)};
  return Text(FormatDateText(bytes));
}

Variant AccessValue() {
  const std::uint8_t bytes[4] = {RandomByte(), RandomByte(), RandomByte(), RandomByte()};
  return Text(FormatAccessText(bytes));
}

}  // namespace

Variant SimulatedValue(const GroupItem& item) {
  switch (item.m_eis) {
    case 0: {
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>((item.m_size + 7) / 8));
      for (std::uint8_t& b : bytes) b = RandomByte();
      return Variant::Bytes(std::move(bytes));
    }
    case 1:
    case 7:
      return Toggled(item);
    case 2:
      if (item.m_subtype == 1) return Variant::Bool(Random(2) != 0);
      if (item.m_subtype == 2) return Variant::UI1(static_cast<std::uint8_t>(Random(16)));
      return Variant::UI1(static_cast<std::uint8_t>(Random(101)));
    case 3:
      return TimeValue();
    case 4:
      return DateValue();
    case 5:
      return Eis5Value();
    case 6:
      if (item.m_subtype == 2) return Variant::I2(static_cast<std::int16_t>(Random(361)));
      return Variant::UI1(static_cast<std::uint8_t>(Random(101)));
    case 8:
      if (item.m_subtype == 1) return Variant::Bool(Random(2) != 0);
      return Variant::UI1(static_cast<std::uint8_t>(Random(4)));
    case 9: {
      const double r1 = std::rand();
      const double r2 = std::rand();
      return Variant::R4(static_cast<float>(r1 * std::cos(r2 * 3.1415926535 / 32767)));
    }
    case 10:
      if (!Has(item, VT_I2)) return Variant::I2(static_cast<std::int16_t>(std::rand()));
      return Variant::I2(static_cast<std::int16_t>(
          static_cast<std::uint16_t>(static_cast<std::uint16_t>(item.m_value.iVal()) + 1u)));
    case 11:
      if (!Has(item, VT_I4)) return Variant::I4(std::rand());
      return Variant::I4(
          static_cast<std::int32_t>(static_cast<std::uint32_t>(item.m_value.lVal()) + 1u));
    case 12:
      return AccessValue();
    case 13:
      if (!Has(item, VT_UI1)) return Variant::UI1(static_cast<std::uint8_t>(Random(128)));
      return Variant::UI1(static_cast<std::uint8_t>((item.m_value.bVal() + 1) % 128));
    case 14:
      if (!Has(item, VT_UI1)) return Variant::UI1(RandomByte());
      return Variant::UI1(static_cast<std::uint8_t>(item.m_value.bVal() + 1));
    case 15: {
      char text[32];
      std::snprintf(text, sizeof text, "Value: %d", std::rand());
      return Text(text);
    }
    default:
      return {};
  }
}

void Simulation::Tick() {
  // Children first, then the node's own items; the special items (kinds below 0) are no bus
  // items. The whole walk holds the tag lock: the main thread may change the tree otherwise.
  std::lock_guard tagLock(m_doc.TagLock());
  const auto walk = [this](auto& self, GroupNode& node) -> void {
    for (const auto& child : node.m_children) {
      if (!m_doc.Simulation()) return;
      self(self, *child);
    }
    for (const auto& item : node.m_items) {
      if (!m_doc.Simulation()) return;
      if (item->m_eis < 0) continue;
      if (item->m_written) {
        item->m_written = 0;
        continue;
      }
      item->m_value = SimulatedValue(*item);
      item->m_timestamp = TimeStampNow();
      item->m_quality = OPC_QUALITY_GOOD;
      m_rows.Refresh(*item);
    }
  };
  walk(walk, m_doc.Root());
}

void Simulation::Toggle() {
  if (m_doc.Simulation())
    SwitchOff();
  else
    SwitchOn();
}

void Simulation::SwitchOn() {
  m_doc.SetSimulationFlag(true);
  if (m_views) m_views->ShowSimulationState(true);
  m_doc.ClearRequests();
  m_doc.Pending().Clear();
}

void Simulation::SwitchOff() {
  m_doc.SetSimulationFlag(false);
  if (m_views) m_views->ShowSimulationState(false);
  {
    std::lock_guard tagLock(m_doc.TagLock());
    const auto walk = [this](auto& self, GroupNode& node) -> void {
      for (const auto& child : node.m_children) self(self, *child);
      for (const auto& item : node.m_items) {
        item->m_written = 0;
        item->m_timestamp = TimeStampNow();
        item->m_value.Clear();
        item->m_quality = OPC_QUALITY_UNCERTAIN;
        if (m_views) m_views->RefreshItemRow(*item);
      }
    };
    walk(walk, m_doc.Root());
  }
  // The reset takes the device list lock, which comes before the tag lock.
  if (m_resetDeviceCheck) m_resetDeviceCheck(m_doc);
}
