// RunPumping and SleepPumping: a blocking step moved off the calling thread while it pumps.
#include "bus/pumped_wait.h"

#include <atomic>
#include <system_error>
#include <thread>

void RunPumping(const std::function<void()>& work, const std::function<void()>& pump) {
  if (!pump) return work();
  std::atomic<bool> done{false};
  std::thread runner;
  try {
    runner = std::thread([&] {
      work();
      done = true;
    });
  } catch (const std::system_error&) {
    // No thread to be had: the step blocks, as it does without a pump.
    return work();
  }
  while (!done) pump();
  runner.join();
}

void SleepPumping(std::chrono::milliseconds time, const std::function<void()>& pump) {
  if (!pump) return std::this_thread::sleep_for(time);
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) pump();
}
