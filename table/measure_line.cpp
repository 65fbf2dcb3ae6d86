// The width rule, applied one line at a time while the lines are recorded.
#include <charconv>
#include <string_view>

#include "runtime/byte_buffer.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"

void measureLine(ColumnMeasure& measure, int32_t lineNumber, const ArrayValue& cells,
                 int32_t previousLengthCount) {
  const int32_t cellCount = cells.count();
  const int32_t knownColumns = measure.columnWidths.count();
  if (cellCount > measure.columnCount) {
    measure.columnCount = cellCount;
    measure.columnWidths.resize(cellCount);
  }
  if (cellCount == 0) return;

  // Joined in one buffer: a line of many cells must not rebuild the text once per cell.
  ByteBuffer lengths;
  for (int32_t j = 1; j <= cellCount; ++j) {
    const int32_t length = textLength(cells.textAt(j));
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
