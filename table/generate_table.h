// The table generator: one run reads the input box, records one row per line in the cell
// store, measures and renders the table, and writes it into the output box. Runs go on a
// worker, one per press of the start button.
#pragma once

#include <cstdint>

#include "json/json_document.h"

// The worker's routine: runs generateTable once for the press whose number (from
// pressWithSeparator) is the parameter.
void tableWorkerEntry(intptr_t parameter);

// One run of press number `press`, start to end, as the worker does it.
void generateTable(uint32_t press);

// Lets a test follow the runs: when a run has read the input box, the cell store when the
// recording pass has ended (before it is reset), and when a worker's run has ended. Any
// member may be null; a null observer (the default) follows nothing.
struct RunObserver {
  void (*inputRead)() = nullptr;
  void (*recorded)(JsonDocument& cellStore) = nullptr;
  void (*ended)() = nullptr;
};
void observeRuns(const RunObserver* observer);
