// The recording pass: each line's record in the cell store, and the columns measured.
#pragma once

#include "json/json_document.h"
#include "runtime/array_value.h"
#include "table/field_separator.h"
#include "table/measure_line.h"

// The recording pass: for each line, reads the previous line's record back from cellStore,
// cuts the line at `separator`, measures it, and appends its record {"row","column"} to the
// array "test" of cellStore, built in rowRecord. False, stopping before the next line, once
// `run` has been superseded.
bool recordLines(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                 JsonDocument& rowRecord, ColumnMeasure& measure, const RunPress& run = RunPress());
