// The recording pass: each line's record in the cell store, and the columns measured.
#pragma once

#include "json/json_document.h"
#include "table/input_lines.h"
#include "table/measure_line.h"
#include "table/press.h"

// For each line in order: reads the previous line's record back from cellStore, cuts the line
// at `separator`, measures it with that answer, and appends its record {"row","column"} to
// the array "test" of cellStore. The records are built ahead, on a side thread when one starts
// (about 60% of the time on two cores). False, stopping before the next line, once `run` has
// been superseded.
bool recordLines(const InputLines& lines, const char* separator, JsonDocument& cellStore, ColumnMeasure& measure,
                 const RunPress& run = RunPress());
