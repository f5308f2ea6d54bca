// Encode and decode of a group value of every EIS type, under the tag lock as on the bus paths.
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>
#include <vector>

#include "bus/group_value_codec.h"
#include "platform/code_page.h"
#include "platform/current_language.h"
#include "project/eis_type.h"
#include "project/group_item.h"
#include "project/group_node.h"

namespace {

// A value of the item's canonical type and the bus data of that type, per type row.
struct Sample {
  const char* type;
  Variant value;
  std::vector<std::uint8_t> data;
};

std::vector<Sample> Samples() {
  auto text = [](const char* s) { return Variant::Bstr(AnsiToUtf16(s)); };
  return {
      {"EIS 1 'Switching' (1 Bit)", Variant::Bool(true), {1}},
      {"EIS 2 'Dimming - control' (4 Bit)", Variant::UI1(11), {11}},
      {"EIS 2 'Dimming - value' (8 Bit)", Variant::UI1(50), {128}},
      {"EIS 3 'Time' (3 Byte)", text("Friday 07:30:00"), {0xA7, 30, 0}},
      {"EIS 4 'Date' (3 Byte)", text("01.03.2011"), {1, 3, 11}},
      {"EIS 5 'Value' (2 Byte)", Variant::R4(21.5f), {0x0C, 0x33}},
      {"EIS 6 'Scaling - degree' (8 Bit)", Variant::I2(180), {128}},
      {"EIS 8 'Priority - control' (2 Bit)", Variant::UI1(2), {2}},
      {"EIS 9 'Float value' (4 Byte)", Variant::R4(-10.0f), {0xC1, 0x20, 0, 0}},
      {"EIS 10 '16Bit Counter' (2 Byte)", Variant::I2(-2), {0xFF, 0xFE}},
      {"EIS 11 '32Bit Counter' (4 Byte)", Variant::I4(70000), {0, 1, 0x11, 0x70}},
      {"EIS 12 'Access' (4 Byte)", text("001234 E:1 P:0 D:1 C:0 I:15"), {0, 0x12, 0x34, 0xAF}},
      {"EIS 14 '8Bit Counter' (8 Bit)", Variant::UI1(200), {200}},
      {"EIS 15 'Character String' (14 Byte)",
       text("Hello"),
       {'H', 'e', 'l', 'l', 'o', 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"Uncertain (2 Byte)", Variant::Bytes({1, 2}), {1, 2}},
  };
}

struct Fixture {
  explicit Fixture(const Sample& sample)
      : item(CreateGroupItem("1/2/3", "", sample.type, 3, root, nullptr)) {
    std::string error;
    LoadLanguage(0, &error);
  }
  std::recursive_mutex tagLock;
  GroupNode root;
  std::unique_ptr<GroupItem> item;
};

void BM_Encode(benchmark::State& state) {
  const Sample sample = Samples()[static_cast<std::size_t>(state.range(0))];
  Fixture f(sample);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EncodeGroupValue(f.tagLock, *f.item, sample.value));
  }
  state.SetLabel(sample.type);
  state.SetItemsProcessed(state.iterations());
}

void BM_Decode(benchmark::State& state) {
  const Sample sample = Samples()[static_cast<std::size_t>(state.range(0))];
  Fixture f(sample);
  const Variant data = Variant::Bytes(sample.data);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeGroupValue(f.tagLock, data, *f.item));
  }
  state.SetLabel(sample.type);
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Encode)->DenseRange(0, 14);
BENCHMARK(BM_Decode)->DenseRange(0, 14);
