// The document's request queue holding 65,536 reads (an initial read of a large project):
// a client read of an item that waits for its initial read, a write that overtakes the reads,
// and the bus worker taking the head.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "project/group_item.h"
#include "project/group_node.h"
#include "project/request_queue.h"

namespace {
constexpr int kQueued = 65536;

struct Project {
  Project() : node(CreateGroupNode("Main", 1, nullptr)) {
    for (int k = 0; k < kQueued; ++k) {
      items.push_back(&node->AppendItem(
          CreateGroupItem(std::to_string(k / 2048) + "/" + std::to_string(k % 2048), "", "2 Bit", 3,
                          *node, nullptr)));
    }
  }
  std::unique_ptr<GroupNode> node;
  std::vector<GroupItem*> items;
};

Project& Items() {
  static Project project;
  return project;
}

void FillWithInitialReads(RequestQueue& queue) {
  queue.Clear();
  for (GroupItem* item : Items().items) queue.AddRead({item, kRequestRead, 1, {}}, true);
}

// Each read meets the initial reads first: it goes before them and the item's initial read
// goes. A fresh queue (untimed) once every item was read.
void BM_QueueRead(benchmark::State& state) {
  RequestQueue queue;
  FillWithInitialReads(queue);
  std::size_t next = 0;
  // Items in a scattered order, as clients read them.
  for (auto _ : state) {
    if (next == kQueued) {
      state.PauseTiming();
      FillWithInitialReads(queue);
      next = 0;
      state.ResumeTiming();
    }
    GroupItem* item = Items().items[(next++ * 40503) % kQueued];
    queue.AddRead({item, kRequestRead, 0, {}}, true);
  }
  state.counters["queued"] = static_cast<double>(queue.Size());
}
BENCHMARK(BM_QueueRead);

// A write before the first of 65,536 reads, then the worker takes it.
void BM_QueueWriteAndTakeHead(benchmark::State& state) {
  RequestQueue queue;
  FillWithInitialReads(queue);
  GroupItem* item = Items().items[kQueued / 2];
  for (auto _ : state) {
    queue.AddWrite({item, kRequestWrite, 0, Variant::UI1(1)}, true);
    queue.TakeNext();
    queue.Done();
  }
  state.counters["queued"] = static_cast<double>(queue.Size());
}
BENCHMARK(BM_QueueWriteAndTakeHead);

// The worker takes the head read; the item is queued again at the end, so the queue stays at
// 65,536.
void BM_TakeHeadRead(benchmark::State& state) {
  RequestQueue queue;
  FillWithInitialReads(queue);
  for (auto _ : state) {
    GroupItem* item = queue.TakeNext()->item;
    queue.Done();
    queue.AddRead({item, kRequestRead, 1, {}}, true);
  }
  state.counters["queued"] = static_cast<double>(queue.Size());
}
BENCHMARK(BM_TakeHeadRead);
}  // namespace
