// Speed and memory of the ESF import of a large export (15,000 group addresses).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "app/headless_document.h"
#include "project/esf_import.h"
#include "synthetic_esf.h"

namespace {

// Each iteration clears the previous import, as a repeated import in the program does.
void BM_ImportEsf(benchmark::State& state) {
  SyntheticEsfShape shape;
  shape.addresses = static_cast<int>(state.range(0));
  const std::string text = SyntheticEsf(shape);
  SilentPrompt prompt;
  HeadlessDocument headless(prompt);
  CDORAzivazDoc& doc = headless.Doc();
  for (auto _ : state) {
    if (ImportEsfText(doc, text, nullptr) != EsfImportResult::kImported)
      state.SkipWithError("import failed");
  }

  // Heap that the imported project holds, per group address.
  doc.DeleteContents();
  const std::size_t before = mallinfo2().uordblks;
  ImportEsfText(doc, text, nullptr);
  const std::size_t after = mallinfo2().uordblks;
  const int items = doc.Counters().groupAddresses;
  state.counters["items"] = items;
  state.counters["devices"] = doc.Counters().devices;
  state.counters["heap_bytes_per_item"] = items ? static_cast<double>(after - before) / items : 0.0;
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ImportEsf)->Arg(15000)->Unit(benchmark::kMillisecond);

}  // namespace
