// The width rule, applied one line at a time while the lines are recorded. Only the cells'
// byte lengths take part, so a line can be measured as it is cut, without a text per cell.
#include <charconv>
#include <string_view>
#include <vector>

#include "runtime/byte_buffer.h"
#include "runtime/cut_fields.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"

namespace {

void measureLengths(ColumnMeasure& measure, int32_t lineNumber, const std::vector<int32_t>& cellLengths,
                    int32_t previousLengthCount) {
  const auto cellCount = static_cast<int32_t>(cellLengths.size());
  const int32_t knownColumns = measure.columnWidths.count();
  if (cellCount > measure.columnCount) {
    measure.columnCount = cellCount;
    measure.columnWidths.resize(cellCount);
  }
  if (cellCount == 0) return;

  // Joined in one buffer: a line of many cells must not rebuild the text once per cell.
  ByteBuffer lengths;
  for (int32_t j = 1; j <= cellCount; ++j) {
    const int32_t length = cellLengths[static_cast<std::size_t>(j - 1)];
    if (j > 1) lengths.appendByte(',');
    char digits[16];  // "%d" of a byte count, without a text made for it
    lengths.append(std::string_view(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, length).ptr - digits)));

    // The first line and the line that opens a column set its width; a later line may only
    // raise it, and only when the previous line's record lists this column.
    const bool setsWidth = lineNumber == 1 || j > knownColumns;
    const bool raisesWidth = j <= previousLengthCount && length >= measure.columnWidths.intAt(j);
    if (setsWidth || raisesWidth) measure.columnWidths.setInt(j, length);
  }
  measure.cellLengthsText = lengths.takeText();
}

// The lengths of the line being measured, in a buffer each thread reuses.
std::vector<int32_t>& emptyLengths() {
  thread_local std::vector<int32_t> lengths;
  lengths.clear();
  return lengths;
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
  std::vector<int32_t>& lengths = emptyLengths();
  cutFields(line, separator, [&](const char*, std::size_t length) { lengths.push_back(static_cast<int32_t>(length)); });
  measureLengths(measure, lineNumber, lengths, previousLengthCount);
}
