// The table generator: one run reads the input box, records one row per line in the cell
// store, measures and renders the table, and writes it into the output box. Runs go on a
// worker, one per press of the start button.
#pragma once

#include <cstdint>

#include "json/json_document.h"
#include "runtime/text_value.h"
#include "table/input_lines.h"
#include "table/measure_line.h"
#include "table/press.h"
#include "ui/busy_pointer.h"

// The worker's routine: runs generateTable once for the press whose number (from
// pressWithSeparator) is the parameter.
void tableWorkerEntry(intptr_t parameter);

// One run of press number `press`, start to end, as the worker does it.
void generateTable(uint32_t press);

// One run on its worker, in the steps generateTable takes in order; a test takes them itself
// to follow a run between them. The run counts as going, and the window shows the busy
// pointer, from its making to its end; everything it makes is released by then.
class TableRun {
 public:
  // Starts the run of press number `press` with its own copy of the separator, and makes the
  // cell store on the calling thread.
  explicit TableRun(uint32_t press);
  TableRun(const TableRun&) = delete;
  TableRun& operator=(const TableRun&) = delete;

  // Reads the input box, once: a second read could see the box emptied in between. False
  // when there is nothing to do: the box is empty or a later press has superseded the run.
  bool readInput();
  // Cuts the input into lines where it lies, records each line in the cell store and measures
  // the columns. False, stopping before the next line, once the run has been superseded.
  bool recordInput();
  // The cell store as the recording pass left it, until writeTable resets it.
  JsonDocument& cellStore() { return cellStore_; }
  // Resets and ends the cell store, lays the table out for the output box a piece at a time
  // (rendered ahead) and writes it there, unless a later press has superseded the run. The
  // lines end before the write.
  void writeTable();

 private:
  BusyPointerHold busy_;
  RunStart start_;
  JsonDocument cellStore_;
  TextValue input_;
  InputLines lines_;
  ColumnMeasure measure_;
};
