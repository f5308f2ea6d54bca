// The document's queues: the served item of the request queue, overdue pending reads, and
// adding and taking from several threads at once.
#include <gtest/gtest.h>

#include <thread>

#include "project/check_queue.h"
#include "project/failed_device_list.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/pending_reads.h"
#include "project/request_queue.h"

namespace {

TEST(RequestQueue, RemovingTheServedItemTellsTheWorkerUntilItTakesTheNext) {
  auto root = CreateGroupNode("Root", -1, nullptr);
  GroupItem& a = root->AppendItem(CreateGroupItem("1/1", "", "1 Bit", 3, *root, nullptr));
  GroupItem& b = root->AppendItem(CreateGroupItem("1/2", "", "1 Bit", 3, *root, nullptr));
  RequestQueue queue;
  queue.Add({&a, kRequestRead, 0, {}});
  queue.Add({&b, kRequestRead, 0, {}});
  queue.Add({&a, kRequestWrite, 0, Variant::Bool(true)});

  const auto first = queue.TakeNext();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->item, &a);
  EXPECT_FALSE(queue.ServedItemGone());
  queue.Remove(b);  // not the served one
  EXPECT_FALSE(queue.ServedItemGone());
  queue.Remove(a);
  EXPECT_TRUE(queue.ServedItemGone());
  EXPECT_TRUE(queue.Empty());
  queue.Done();

  // After Done the item is no longer served: removing it again reports nothing.
  queue.Add({&b, kRequestRead, 0, {}});
  queue.Remove(a);
  ASSERT_TRUE(queue.TakeNext());
  EXPECT_FALSE(queue.ServedItemGone());
  EXPECT_FALSE(queue.TakeNext());
}

TEST(PendingReads, OnlyAHeadPastItsDeadlineIsTaken) {
  auto root = CreateGroupNode("Root", -1, nullptr);
  GroupItem& a = root->AppendItem(CreateGroupItem("1/1", "", "1 Bit", 3, *root, nullptr));
  GroupItem& b = root->AppendItem(CreateGroupItem("1/2", "", "1 Bit", 3, *root, nullptr));
  PendingReads pending;
  pending.Add(a, 10);
  pending.Add(b, 12);
  EXPECT_EQ(a.m_responseDeadline, 10);
  EXPECT_EQ(pending.TakeOverdue(10), nullptr);
  EXPECT_EQ(pending.TakeOverdue(13), &a);
  EXPECT_EQ(pending.TakeOverdue(13), &b);
  EXPECT_EQ(pending.TakeOverdue(13), nullptr);
  pending.Add(a, 1);
  EXPECT_TRUE(pending.Remove(a));
  EXPECT_FALSE(pending.Remove(a));
  EXPECT_TRUE(pending.Empty());
}

TEST(DeviceQueues, ThreadsAddingAndTakingLoseNothing) {
  DeviceCheckQueue checks;
  FailedDeviceList failed;
  constexpr int kPerThread = 500;
  std::vector<std::thread> adders;
  for (int t = 0; t < 3; ++t) {
    adders.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        const std::string address = std::to_string(t) + "." + std::to_string(i);
        checks.Add(address);
        failed.Add(address);
        failed.Add(address);  // listed once
      }
    });
  }
  int taken = 0;
  std::thread taker([&] {
    while (taken < 3 * kPerThread)
      if (checks.TakeNext()) ++taken;
  });
  for (auto& adder : adders) adder.join();
  taker.join();
  EXPECT_EQ(taken, 3 * kPerThread);
  EXPECT_TRUE(checks.Empty());
  EXPECT_EQ(failed.Items().size(), 3u * kPerThread);
  EXPECT_TRUE(failed.Remove("1.7"));
  EXPECT_FALSE(failed.Remove("1.7"));
  EXPECT_TRUE(failed.Clear());
  EXPECT_FALSE(failed.Clear());
}

}  // namespace
