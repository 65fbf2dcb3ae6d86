// The column widths of a table being built, line by line. A column's width is set by the
// first line, by the line that opens the column, and raised by later lines only when the
// record of the line before them lists at least as many cells (previousLengthCount).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/array_value.h"
#include "runtime/text_value.h"
#include "table/press.h"

struct ColumnMeasure {
  ArrayValue columnWidths{ElementType::Int};  // bytes, column 1 first
  int32_t columnCount = 0;                    // the most cells on any line so far
  TextValue cellLengthsText;                  // "4,6,4": the last line with cells, or empty
};

// Measures line `lineNumber` (from 1) with its cells; previousLengthCount is the number of
// cell lengths the previous line's record lists (unused for line 1). A line without cells
// leaves cellLengthsText as it was.
void measureLine(ColumnMeasure& measure, int32_t lineNumber, const ArrayValue& cells,
                 int32_t previousLengthCount);
// The same for the line's text, cut at `separator` as splitText cuts it.
void measureLine(ColumnMeasure& measure, int32_t lineNumber, const char* line, const char* separator,
                 int32_t previousLengthCount);
// The same with the line's cell lengths (appendCellLengths), but only the widths and the
// column count: cellLengthsText is left as it was.
void measureLineWidths(ColumnMeasure& measure, int32_t lineNumber, std::span<const int32_t> cellLengths,
                       int32_t previousLengthCount);
// Appends the byte length of each cell of the line, cut at `separator` as splitText cuts it.
void appendCellLengths(const char* line, const char* separator, std::vector<int32_t>& lengths);
// Cell lengths as measureLine writes them into cellLengthsText ("4,6,4"), into `text` (whose
// buffer is reused), "" for a line without cells.
void writeCellLengths(std::span<const int32_t> cellLengths, std::string& text);
// The same as a text of its own, cutting the line for the lengths; empty for a line without cells.
TextValue cellLengthsOf(const char* line, const char* separator);
