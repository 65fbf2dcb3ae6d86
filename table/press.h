// The presses of the start button, counted, and what a run knows of them: whether a later
// press has superseded it, so that its work can never be used.
#pragma once

#include <cstdint>

// Counts a new press and returns its number, which its run starts with.
uint32_t countPress();
// The number of the latest press (0 before the first).
uint32_t latestPress();

// Tells a run whether a later press has superseded it. Asked once per line: lock-free, safe
// on any thread. Asked on the main thread, where presses happen, the answer holds until the
// caller returns. A RunPress made without a press belongs to none and is never superseded
// (tests, benchmarks).
class RunPress {
 public:
  RunPress() = default;
  explicit RunPress(uint32_t press) : press_(press), counted_(true) {}
  bool superseded() const;

 private:
  uint32_t press_ = 0;
  bool counted_ = false;
};
