// Waits of the main thread that keep calling a pump (the window repaints there) until they end.
#pragma once

#include <chrono>
#include <functional>

// Runs `work` on a thread of its own and calls `pump` over and over on the calling thread until
// `work` has returned. Without a pump, `work` simply runs on the calling thread.
void RunPumping(const std::function<void()>& work, const std::function<void()>& pump);

// Lets `time` pass while calling `pump` over and over; without a pump it sleeps.
void SleepPumping(std::chrono::milliseconds time, const std::function<void()>& pump);
