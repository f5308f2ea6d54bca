// Speed and memory of saving and loading a project of 65,536 group items.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>

#include "app/headless_document.h"
#include "big_project.h"
#include "project/project_file.h"

namespace {

// A headless document with the big project in its private folder.
struct BenchDocument {
  BenchDocument() : headless(prompt), doc(&headless.Doc()), dir(headless.Dir()) {
    WriteBigProject(dir + "/big.zlv");
  }
  SilentPrompt prompt;
  HeadlessDocument headless;
  CDORAzivazDoc* doc;
  std::string dir;
};

// Each iteration clears the project loaded before, as opening another project does.
void BM_LoadProject(benchmark::State& state) {
  BenchDocument bench;
  for (auto _ : state) {
    if (!bench.doc->OnOpenDocument(bench.dir + "/big.zlv")) state.SkipWithError("load failed");
  }
  bench.doc->DeleteContents();
  const std::size_t before = mallinfo2().uordblks;
  bench.doc->LoadProject(bench.dir + "/big.zlv");
  const std::size_t after = mallinfo2().uordblks;
  const int items = bench.doc->Counters().groupAddresses;
  state.counters["items"] = items;
  state.counters["heap_bytes_per_item"] = items ? static_cast<double>(after - before) / items : 0.0;
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

// Both files written to temporary names, flushed to the disk and renamed into place.
void BM_SaveProject(benchmark::State& state) {
  BenchDocument bench;
  bench.doc->OnOpenDocument(bench.dir + "/big.zlv");
  for (auto _ : state) {
    if (!bench.doc->StoreProject(bench.dir + "/copy.zlv")) state.SkipWithError("save failed");
  }
  state.counters["items"] = bench.doc->Counters().groupAddresses;
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

}  // namespace
