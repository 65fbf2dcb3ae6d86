// The framed table drawn from the lines and the column widths measured for them.
#pragma once

#include <functional>
#include <string_view>

#include "runtime/array_value.h"
#include "runtime/text_value.h"
#include "table/measure_line.h"
#include "table/press.h"

// "+" then, per column, width + 3 dashes and a "+"; just "+" when there are no columns.
TextValue borderLine(const ColumnMeasure& measure);

// The framed table: a rule above the first line and under it, the rows padded to the
// column widths, a closing rule; every line, the last too, ends in "\r\n". Each line is cut
// into cells at `separator` again. Time is linear in the size of the table. Null, with
// everything made released, once `run` has been superseded (asked before each line).
TextValue renderTable(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
                      const RunPress& run = RunPress());

// The same table handed to `take` in pieces of about 64 KiB, in order, each ending after a
// "\r\n", so that it is never held whole. False once `run` has been superseded, having
// handed out only whole pieces.
bool renderTablePieces(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
                       const RunPress& run, const std::function<void(std::string_view piece)>& take);
