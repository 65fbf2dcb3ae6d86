// The field separator chosen by the last press, shared between the click handler on the main
// thread and the runs on their workers. A run never reads the global itself: it takes its own
// copy when it starts, with the number of the press it started under (table/press.h), so a
// later press can neither free the separator under it nor be overwritten by its table.
#pragma once

#include <cstdint>

#include "runtime/text_value.h"
#include "table/press.h"

// Stores the separator of a new press (a one-byte tab or space text, or the constant ",")
// and counts the press; returns the press's number, which its run starts with. The previous
// separator is released after the new one is stored.
uint32_t pressWithSeparator(TextValue separator);

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
