// The recording pass: each line's record in the cell store, and the columns measured.
#pragma once

#include "json/json_document.h"
#include "runtime/array_value.h"
#include "table/measure_line.h"
#include "table/press.h"

// The recording pass: for each line, reads the previous line's record back from cellStore,
// cuts the line at `separator`, measures it, and appends its record {"row","column"} to the
// array "test" of cellStore, built in rowRecord. False, stopping before the next line, once
// `run` has been superseded.
bool recordLines(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                 JsonDocument& rowRecord, ColumnMeasure& measure, const RunPress& run = RunPress());

// The same pass, the same store and measure, with the row records built ahead on a second
// thread in a document made there (about 60% of the time on two cores). Every line is still
// read back from cellStore and measured with its answer; a record built ahead is stored only
// when it lists the lengths so measured, and the rest are built on the calling thread should
// one not. Without a second thread it runs as recordLines does. builtAhead, when given, is
// set to the number of records stored that were built ahead.
bool recordLinesAhead(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                      ColumnMeasure& measure, const RunPress& run = RunPress(), int32_t* builtAhead = nullptr);
