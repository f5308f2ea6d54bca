// The bus worker's pacing: the pause between consecutive sends of queued reads and writes, as
// the virtual bus sees them, against the configured ReadSpeed and WriteSpeed.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/headless_document.h"
#include "bus/bus_link.h"
#include "knx/bus_classes.h"
#include "knx/bus_component.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/main_thread.h"
#include "platform/settings_store.h"
#include "project/document_seams.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"
#include "project/group_node.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRequests = 41;  // per batch: 40 intervals
constexpr const char* kBusName = "pacing bench";

// Confirmations and row refreshes are of no interest here.
class DroppingMainThread : public MainThread {
 public:
  void Post(std::function<void()>) override {}
};

// Another connection to the virtual bus: the bus reports each telegram to it on the sending
// thread, during the send, so the time taken here is the time of the send.
class SendRecorder : public BusDriverListener {
 public:
  void OnGroupTelegram(const GroupTelegram&) override {
    const Clock::time_point now = Clock::now();
    {
      std::lock_guard lock(m_mutex);
      m_times.push_back(now);
    }
    m_changed.notify_all();
  }
  void OnGroupConfirm(const GroupTelegram&, bool) override {}
  void OnConnectionState(bool) override {}

  bool WaitFor(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_times.size() >= count; });
  }
  std::vector<Clock::time_point> Take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_times, {});
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Clock::time_point> m_times;
};

// A document over the virtual bus with its worker thread running, both pauses set to
// `pauseMs`, and kRequests EIS 5 items at 1/0/0, 1/0/1, ...
struct PacedDocument {
  explicit PacedDocument(std::int32_t pauseMs) {
    char pattern[] = "/tmp/zelvox-pacing-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
    settings->SetInt(kParameterKey, "ReadSpeed", pauseMs);
    settings->SetInt(kParameterKey, "WriteSpeed", pauseMs);
    settings->SetText(kBusAccessParametersKey, kVirtualBusName, std::string("name=") + kBusName);
    std::string error;
    LoadLanguage(0, &error);

    bus = VirtualBus::Named(kBusName);
    port->SetListener(&recorder);
    port->SetOpen(true);
    bus->Connect(port);

    component.RegisterDriver(VirtualBusDriverEntry());
    RegisterBusClasses(component, mainThread, *settings);
    link = std::make_unique<BusLink>(mainThread, component);
    link->Connection().SetModeSettleTime(std::chrono::milliseconds(0));
    DocumentSeams seams;
    link->WireSeams(seams);
    doc = std::make_unique<CDORAzivazDoc>(
        CDORAzivazDoc::Services{callback, prompt, mainThread, *settings}, std::move(seams));
    std::lock_guard tagLock(doc->TagLock());
    GroupNode& main = doc->Root().AppendChild(CreateGroupNode("Main", 1, doc.get()));
    GroupNode& middle = main.AppendChild(CreateGroupNode("Middle", 0, doc.get()));
    for (int sub = 0; sub < kRequests; ++sub) {
      items.push_back(&middle.AppendItem(CreateGroupItem(
          "1/0/" + std::to_string(sub), "", "EIS 5 'Value' (2 Byte)", 3, middle, doc.get())));
    }
  }
  ~PacedDocument() {
    doc.reset();
    link.reset();
    bus->Disconnect(port.get());
    VirtualBus::Forget(kBusName);
    std::filesystem::remove_all(dir);
  }

  std::string dir;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  SilentPrompt prompt;
  DroppingMainThread mainThread;
  SendRecorder recorder;
  std::shared_ptr<VirtualBusPort> port = std::make_shared<VirtualBusPort>();
  std::shared_ptr<VirtualBus> bus;
  BusComponent component;
  std::unique_ptr<BusLink> link;
  std::unique_ptr<CDORAzivazDoc> doc;
  std::vector<GroupItem*> items;
};

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
  const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

// Args: the pause in milliseconds, and 1 for writes or 0 for reads. Each iteration queues a
// batch of kRequests requests at once and measures the intervals between their sends.
void BM_WorkerPacing(benchmark::State& state) {
  const auto pauseMs = static_cast<std::int32_t>(state.range(0));
  const bool writes = state.range(1) != 0;
  PacedDocument paced(pauseMs);
  CDORAzivazDoc& doc = *paced.doc;
  const auto timeout = std::chrono::milliseconds(pauseMs * (kRequests + 10));

  std::vector<double> intervals;
  for (auto _ : state) {
    paced.recorder.Take();
    for (GroupItem* item : paced.items) {
      if (writes)
        doc.QueueWrite(*item, Variant::R4(21.5f));
      else
        doc.QueueRead(*item);
    }
    if (!paced.recorder.WaitFor(kRequests, timeout)) {
      state.SkipWithError("the worker did not send every request");
      return;
    }
    const std::vector<Clock::time_point> times = paced.recorder.Take();
    for (std::size_t i = 1; i < times.size(); ++i)
      intervals.push_back(
          std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count());
  }

  std::sort(intervals.begin(), intervals.end());
  double maxDeviation = 0;
  int beyond2ms = 0;  // intervals more than 2 ms off the pause
  for (double interval : intervals) {
    const double deviation = std::abs(interval - pauseMs);
    maxDeviation = std::max(maxDeviation, deviation);
    if (deviation > 2.0) ++beyond2ms;
  }
  state.counters["pause_ms"] = pauseMs;
  state.counters["intervals"] = static_cast<double>(intervals.size());
  state.counters["median_ms"] = Percentile(intervals, 0.5);
  state.counters["p95_ms"] = Percentile(intervals, 0.95);
  state.counters["max_dev_ms"] = maxDeviation;
  state.counters["beyond_2ms"] = beyond2ms;
}
BENCHMARK(BM_WorkerPacing)
    ->ArgNames({"pause", "write"})
    ->ArgsProduct({{20, 50, 100}, {0, 1}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
