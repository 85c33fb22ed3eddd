// The end-to-end tests wait for what they need, never for a fixed time: a
// condition is looked at again and again until it holds or the limit passes.
// This is the one place they pause between looks.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// True once cond holds; false when limit passes first (cond is looked at
// once more at the end).
inline bool waitUntil(const std::function<bool()> &cond, std::chrono::milliseconds limit,
                      std::chrono::milliseconds step = std::chrono::milliseconds(50)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= end)
      return cond();
    std::this_thread::sleep_for(step);
  }
  return true;
}
