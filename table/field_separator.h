// The field separator chosen by the last press, shared between the click handler on the main
// thread and the runs on their workers. A run never reads the global itself: it takes its own
// copy when it starts, with the number of the press it started under, so a later press can
// neither free the separator under it nor be overwritten by its table.
#pragma once

#include <cstdint>

#include "runtime/text_value.h"

// Stores the separator of a new press (a one-byte tab or space text, or the constant ",")
// and counts the press. The previous separator is released after the new one is stored.
void pressWithSeparator(TextValue separator);

// Tells a run whether a later press has superseded it, so its work can never be used. Asked
// once per line: lock-free, safe on any thread. Asked on the main thread, where presses
// happen, the answer holds until the caller returns. A RunPress made without a press belongs
// to none and is never superseded (tests, benchmarks).
class RunPress {
 public:
  RunPress() = default;
  explicit RunPress(uint64_t press) : press_(press), counted_(true) {}
  bool superseded() const;

 private:
  uint64_t press_ = 0;
  bool counted_ = false;
};

// What a run starts with: its copy of the separator (null before any press) and its press.
struct RunStart {
  TextValue separator;
  RunPress press;
};
RunStart beginRun();

// Releases the separator at the end of the program; later runs see none.
void releaseFieldSeparator();
