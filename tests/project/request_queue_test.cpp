// The request queue against a plain walk of a list, the way the scheduling orders requests:
// random reads, initial reads, writes, heads taken and items removed under both strategies.
#include "project/request_queue.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "project/group_item.h"
#include "project/group_node.h"

namespace {
// The order rules written as a walk from the head.
void WalkRead(std::list<BusRequest>& queue, BusRequest request, bool merge) {
  if (!merge || queue.empty()) {
    queue.push_back(std::move(request));
    return;
  }
  auto inserted = queue.end();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (it->kind == kRequestRead && it->item == request.item) {
      if (inserted != queue.end())
        queue.erase(it);
      else
        it->initial = request.initial;
      return;
    }
    if (request.initial == 0 && it->kind == kRequestRead && it->initial != 0 &&
        inserted == queue.end())
      inserted = queue.insert(it, std::move(request));
  }
  if (inserted == queue.end()) queue.push_back(std::move(request));
}

void WalkWrite(std::list<BusRequest>& queue, BusRequest request, bool overtake) {
  auto at = queue.end();
  if (overtake) {
    at = std::find_if(queue.begin(), queue.end(),
                      [](const BusRequest& r) { return r.kind == kRequestRead; });
  }
  queue.insert(at, std::move(request));
}

struct Shape {
  GroupItem* item;
  std::int32_t kind;
  std::int32_t initial;
  bool operator==(const Shape&) const = default;
};

template <typename Requests>
std::vector<Shape> ShapeOf(const Requests& requests) {
  std::vector<Shape> out;
  for (const BusRequest& r : requests) out.push_back({r.item, r.kind, r.initial});
  return out;
}
}  // namespace

TEST(RequestQueue, OrdersAsTheWalkDoesUnderRandomTraffic) {
  auto node = CreateGroupNode("Main", 1, nullptr);
  std::vector<GroupItem*> items;
  for (int k = 0; k < 12; ++k) {
    items.push_back(&node->AppendItem(
        CreateGroupItem("1/1/" + std::to_string(k), "", "2 Bit", 3, *node, nullptr)));
  }
  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    RequestQueue queue;
    std::list<BusRequest> walk;
    for (int step = 0; step < 300; ++step) {
      GroupItem* item = items[random() % items.size()];
      bool strategy = random() % 8 != 0;  // mostly on, as configured by default
      switch (random() % 10) {
        case 0:
        case 1:
        case 2:
          queue.AddRead({item, kRequestRead, 0, {}}, strategy);
          WalkRead(walk, {item, kRequestRead, 0, {}}, strategy);
          break;
        case 3:
        case 4:
          queue.AddRead({item, kRequestRead, 1, {}}, strategy);
          WalkRead(walk, {item, kRequestRead, 1, {}}, strategy);
          break;
        case 5:
        case 6:
          queue.AddWrite({item, kRequestWrite, 0, Variant::UI1(1)}, strategy);
          WalkWrite(walk, {item, kRequestWrite, 0, Variant::UI1(1)}, strategy);
          break;
        case 7:
        case 8:
          if (!walk.empty()) {
            std::optional<BusRequest> head = queue.TakeNext();
            ASSERT_TRUE(head.has_value());
            ASSERT_EQ(head->item, walk.front().item);
            queue.Done();
            walk.pop_front();
          }
          break;
        default:
          queue.Remove(*item);
          walk.remove_if([item](const BusRequest& r) { return r.item == item; });
          break;
      }
      ASSERT_EQ(ShapeOf(queue.Snapshot()), ShapeOf(walk)) << "round " << round << " step " << step;
    }
  }
}

TEST(RequestQueue, ManyInsertionsAtOnePlaceKeepTheirOrder) {
  // Ordinary reads all go before the one initial read; writes before the first read.
  auto node = CreateGroupNode("Main", 1, nullptr);
  std::vector<GroupItem*> items;
  for (int k = 0; k < 3000; ++k) {
    items.push_back(&node->AppendItem(
        CreateGroupItem("1/" + std::to_string(k), "", "2 Bit", 3, *node, nullptr)));
  }
  RequestQueue queue;
  queue.AddRead({items[0], kRequestRead, 1, {}}, true);
  for (int k = 1; k < 3000; ++k) queue.AddRead({items[k], kRequestRead, 0, {}}, true);
  for (int k = 0; k < 3000; ++k) queue.AddWrite({items[k], kRequestWrite, 0, {}}, true);
  const std::vector<BusRequest> requests = queue.Snapshot();
  ASSERT_EQ(requests.size(), 6000u);
  auto it = requests.begin();
  for (int k = 0; k < 3000; ++k, ++it) ASSERT_EQ(it->item, items[k]) << "write " << k;
  for (int k = 1; k < 3000; ++k, ++it) ASSERT_EQ(it->item, items[k]) << "read " << k;
  EXPECT_EQ(it->initial, 1);
}
