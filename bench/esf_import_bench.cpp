// Speed and memory of the ESF import of a large export (15,000 group addresses).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <filesystem>

#include "opc/opc_server_callback.h"
#include "platform/event_loop.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"
#include "project/esf_import.h"
#include "synthetic_esf.h"

namespace {

class SilentPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned, std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::Ok;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::Ok;
  }
};

// A headless document with its settings in a temporary folder.
struct BenchDocument {
  BenchDocument() : dir(MakeDir()), settings(dir + "/settings") {
    doc =
        std::make_unique<CDORAzivazDoc>(CDORAzivazDoc::Services{callback, prompt, loop, settings});
  }
  ~BenchDocument() {
    doc.reset();
    std::filesystem::remove_all(dir);
  }
  static std::string MakeDir() {
    char pattern[] = "/tmp/zelvox-bench-XXXXXX";
    return mkdtemp(pattern);
  }
  std::string dir;
  SettingsStore settings;
  OpcServerCallback callback;
  SilentPrompt prompt;
  EventLoop loop;
  std::unique_ptr<CDORAzivazDoc> doc;
};

// Each iteration clears the previous import, as a repeated import in the program does.
void BM_ImportEsf(benchmark::State& state) {
  SyntheticEsfShape shape;
  shape.addresses = static_cast<int>(state.range(0));
  const std::string text = SyntheticEsf(shape);
  BenchDocument bench;
  for (auto _ : state) {
    if (ImportEsfText(*bench.doc, text, nullptr) != EsfImportResult::kImported)
      state.SkipWithError("import failed");
  }

  // Heap that the imported project holds, per group address.
  bench.doc->DeleteContents();
  const std::size_t before = mallinfo2().uordblks;
  ImportEsfText(*bench.doc, text, nullptr);
  const std::size_t after = mallinfo2().uordblks;
  const int items = bench.doc->Counters().groupAddresses;
  state.counters["items"] = items;
  state.counters["devices"] = bench.doc->Counters().devices;
  state.counters["heap_bytes_per_item"] = items ? static_cast<double>(after - before) / items : 0.0;
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ImportEsf)->Arg(15000)->Unit(benchmark::kMillisecond);

}  // namespace
