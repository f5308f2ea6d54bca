// Group-write events through lookup, decoding, listeners and row refresh, on a project of
// 65,536 group items.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "bus/bus_link.h"
#include "bus/bus_views.h"
#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_seams.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"

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

class DroppingMainThread : public MainThread {
 public:
  void Post(std::function<void()>) override {}
};

class CountingViews : public BusViews {
 public:
  void RefreshItemRow(GroupItem&) override { ++rows; }
  void UpdateStatus() override {}
  void ShowSimulationState(bool) override {}
  std::int64_t rows = 0;
};

// A document with 32 main groups of 8 middle groups of 256 EIS 5 items each; every item also
// listens to its neighbour, so each write serves one listener.
struct Project {
  Project() {
    char pattern[] = "/tmp/zelvox-bench-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
    std::string error;
    LoadLanguage(0, &error);
    link = std::make_unique<BusLink>(mainThread);
    link->SetViews(&views);
    DocumentSeams seams;
    link->WireSeams(seams);
    seams.connect = nullptr;
    seams.busWorkerThread = nullptr;
    doc = std::make_unique<CDORAzivazDoc>(
        CDORAzivazDoc::Services{callback, prompt, mainThread, *settings}, seams);
    link->Reception().Attach(*doc);
    std::lock_guard tagLock(doc->TagLock());
    for (int main = 0; main < 32; ++main) {
      GroupNode& m = doc->Root().AppendChild(CreateGroupNode("M", main, doc.get()));
      for (int middle = 0; middle < 8; ++middle) {
        GroupNode& n = m.AppendChild(CreateGroupNode("N", middle, doc.get()));
        for (int sub = 0; sub < 256; ++sub) {
          const std::string address =
              std::to_string(main) + "/" + std::to_string(middle) + "/" + std::to_string(sub);
          auto item = CreateGroupItem(address, "", "EIS 5 'Value' (2 Byte)", 3, n, doc.get());
          item->m_listeners.push_back(std::to_string(main) + "/" + std::to_string(middle) + "/" +
                                      std::to_string((sub + 1) % 256));
          n.AppendItem(std::move(item));
        }
      }
    }
  }
  ~Project() {
    doc.reset();
    std::filesystem::remove_all(dir);
  }

  std::string dir;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  SilentPrompt prompt;
  DroppingMainThread mainThread;
  CountingViews views;
  std::unique_ptr<BusLink> link;
  std::unique_ptr<CDORAzivazDoc> doc;
};

void BM_GroupWriteEvents(benchmark::State& state) {
  Project project;
  TelegramReception& reception = project.link->Reception();
  const Variant data = Variant::Bytes({0x0C, 0x33});
  std::int32_t address = 0;
  for (auto _ : state) {
    reception.OnGroupValueWrite(address, 1, 3, data);
    address = (address + 7919) & 0xFFFF;  // spread over the whole project
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["rows"] = static_cast<double>(project.views.rows);
}
BENCHMARK(BM_GroupWriteEvents);

}  // namespace
