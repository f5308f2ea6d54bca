// Tests of AutoResetEvent: signals kept until consumed, one waiter per Set, timeouts.
#include "platform/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(AutoResetEvent, SetBeforeWaitIsKeptAndResetByTheWait) {
  AutoResetEvent event("DOR_AZIVAZ_QUIT_THREAD");
  EXPECT_EQ(event.Name(), "DOR_AZIVAZ_QUIT_THREAD");
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Set();  // a second Set on a signalled event does not count twice
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  AutoResetEvent initially("E", true);
  initially.WaitForever();
  EXPECT_FALSE(initially.Wait(0));
}

TEST(AutoResetEvent, WaitTimesOutUnsignalled) {
  AutoResetEvent event("E");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.Wait(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(AutoResetEvent, EachSetReleasesOneWaitingThread) {
  AutoResetEvent event("E");
  std::atomic<int> released{0};
  std::thread a([&] {
    event.WaitForever();
    ++released;
  });
  std::thread b([&] {
    if (event.Wait(60'000)) ++released;
  });
  event.Set();
  for (int i = 0; i < 5000 && released < 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(released, 1);
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(released, 2);
  EXPECT_FALSE(event.Wait(0));
}

}  // namespace
