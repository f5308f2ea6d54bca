// Speed and memory of saving and loading a project of 65,536 group items.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <fstream>
#include <string>

#include "app/headless_document.h"
#include "project/project_file.h"

namespace {

// Every three-level address once: 32 main groups of 8 middle groups of 256 items, every other
// item with two links, every third marked for the initial read; 1,024 devices.
void WriteBigProject(const std::string& path) {
  std::string text = "Big\r\n";
  for (int main = 0; main < 32; ++main)
    for (int middle = 0; middle < 8; ++middle)
      for (int sub = 0; sub < 256; ++sub) {
        text += "Main group " + std::to_string(main) + ".Middle group " + std::to_string(middle) +
                "." + std::to_string(main) + "/" + std::to_string(middle) + "/" +
                std::to_string(sub) + "\tItem " + std::to_string(sub) +
                "\tEIS 5 'Value' (2 Byte)\tLow\t" + (sub % 3 ? "NoInit" : "Init") + "\t";
        if (sub % 2 == 0)
          text += std::to_string(main) + "/" + std::to_string(middle) + "/" +
                  std::to_string((sub + 1) % 256) + " " + std::to_string((main + 1) % 32) + "/" +
                  std::to_string(middle) + "/" + std::to_string(sub);
        text += "\r\n";
      }
  std::ofstream(path, std::ios::binary) << text;
  std::string devices;
  char line[16];
  for (int a = 0; a < 4; ++a)
    for (int l = 0; l < 16; ++l)
      for (int d = 0; d < 16; ++d) {
        std::snprintf(line, sizeof line, "%.2d.%.2d.%.3d\r\n", a, l, d);
        devices += line;
      }
  std::ofstream(DeviceFilePath(path), std::ios::binary) << devices;
}

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
