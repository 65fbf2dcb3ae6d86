// A press of the start button: the field separator it chose, shared between the click
// handler on the main thread and the runs on their workers, and its number, by which a run
// learns that a later press has superseded it. A run never reads the global itself: it takes
// its own copy when it starts, with the number of the press it started under, so a later
// press can neither free the separator under it nor be overwritten by its table.
#pragma once

#include <cstdint>

#include "runtime/text_value.h"

// Stores the separator of a new press (a one-byte tab or space text, or the constant ",")
// and counts the press; returns the press's number, which its run starts with. The previous
// separator is released after the new one is stored.
uint32_t pressWithSeparator(TextValue separator);

// Tells a run whether a later press has superseded it, so its work can never be used. Asked
// once per line: lock-free, safe on any thread. Asked on the main thread, where presses
// happen, the answer holds until the caller returns. A RunPress made without a press belongs
// to none and is never superseded (tests, benchmarks).
class RunPress {
 public:
  RunPress() = default;
  explicit RunPress(uint32_t press) : press_(press), counted_(true) {}
  bool superseded() const;

 private:
  uint32_t press_ = 0;
  bool counted_ = false;
};

// What a run starts with: its copy of the separator (null before any press) and its press.
struct RunStart {
  TextValue separator;
  RunPress press;
};
// The run of press number `press`: a worker may start after a later press has happened, so
// the number comes from the click, not from the count when the run begins.
RunStart beginRun(uint32_t press);
// The run of the latest press (tests).
RunStart beginRun();

// Releases the separator at the end of the program; later runs see none.
void releaseFieldSeparator();
