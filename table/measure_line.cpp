// The width rule, applied one line at a time while the lines are recorded. Only the cells'
// byte lengths take part, so a line can be measured as it is cut, without a text per cell.
#include <charconv>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/cut_fields.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"

namespace {

// "%d" of each length, joined with commas, in one buffer each thread reuses: a line of many
// cells must not rebuild the text once per cell.
TextValue lengthsText(std::span<const int32_t> cellLengths) {
  thread_local std::string text;
  writeCellLengths(cellLengths, text);
  return TextValue::copyOf(text);
}

// The lengths of the line being measured, in a buffer each thread reuses.
std::vector<int32_t>& emptyLengths() {
  thread_local std::vector<int32_t> lengths;
  lengths.clear();
  return lengths;
}

std::vector<int32_t>& lengthsOf(const char* line, const char* separator) {
  std::vector<int32_t>& lengths = emptyLengths();
  appendCellLengths(line, separator, lengths);
  return lengths;
}

void measureLengths(ColumnMeasure& measure, int32_t lineNumber, const std::vector<int32_t>& cellLengths,
                    int32_t previousLengthCount) {
  measureLineWidths(measure, lineNumber, cellLengths, previousLengthCount);
  if (!cellLengths.empty()) measure.cellLengthsText = lengthsText(cellLengths);
}

}  // namespace

void measureLine(ColumnMeasure& measure, int32_t lineNumber, const ArrayValue& cells,
                 int32_t previousLengthCount) {
  std::vector<int32_t>& lengths = emptyLengths();
  for (int32_t j = 1; j <= cells.count(); ++j) lengths.push_back(textLength(cells.textAt(j)));
  measureLengths(measure, lineNumber, lengths, previousLengthCount);
}

void measureLine(ColumnMeasure& measure, int32_t lineNumber, const char* line, const char* separator,
                 int32_t previousLengthCount) {
  measureLengths(measure, lineNumber, lengthsOf(line, separator), previousLengthCount);
}

void measureLineWidths(ColumnMeasure& measure, int32_t lineNumber, std::span<const int32_t> cellLengths,
                       int32_t previousLengthCount) {
  const auto cellCount = static_cast<int32_t>(cellLengths.size());
  const int32_t knownColumns = measure.columnWidths.count();
  if (cellCount > measure.columnCount) measure.columnCount = cellCount;
  if (cellCount > knownColumns) measure.columnWidths.resize(cellCount);
  // Every cell has its column now: the widths are taken and set in place.
  intptr_t* const widths = arrayData(measure.columnWidths.block()).elements;
  for (int32_t j = 1; j <= cellCount; ++j) {
    const int32_t length = cellLengths[static_cast<std::size_t>(j - 1)];
    intptr_t& width = widths[j - 1];
    // The first line and the line that opens a column set its width; a later line may only
    // raise it, and only when the previous line's record lists this column.
    const bool setsWidth = lineNumber == 1 || j > knownColumns;
    const bool raisesWidth = j <= previousLengthCount && length >= width;
    if (setsWidth || raisesWidth) width = length;
  }
}

void appendCellLengths(const char* line, const char* separator, std::vector<int32_t>& lengths) {
  cutFields(line, separator, [&](const char*, std::size_t length) { lengths.push_back(static_cast<int32_t>(length)); });
}

void writeCellLengths(std::span<const int32_t> cellLengths, std::string& text) {
  // Room for every length's sign, ten digits and comma, written in place and cut to size.
  text.resize(cellLengths.size() * 12);
  char* at = text.data();
  char* const end = at + text.size();
  for (std::size_t k = 0; k < cellLengths.size(); ++k) {
    if (k != 0) *at++ = ',';
    at = std::to_chars(at, end, cellLengths[k]).ptr;
  }
  text.resize(static_cast<std::size_t>(at - text.data()));
}

TextValue cellLengthsOf(const char* line, const char* separator) {
  const std::vector<int32_t>& lengths = lengthsOf(line, separator);
  return lengths.empty() ? TextValue() : lengthsText(lengths);
}
