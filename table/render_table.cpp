// Lays the measured lines out as the framed table, a piece at a time.
#include <algorithm>
#include <string_view>

#include "runtime/byte_buffer.h"
#include "runtime/text_commands.h"
#include "table/render_table.h"

namespace {

constexpr int32_t kRuleExtra = 3;     // a column's run of "-" is its width plus 3
constexpr int32_t kPaddingExtra = 2;  // spaces after a cell: width - length + 2
constexpr std::size_t kPieceSize = std::size_t{64} * 1024;

}  // namespace

TextValue borderLine(const ColumnMeasure& measure) {
  ByteBuffer rule;
  rule.appendByte('+');
  for (int32_t k = 1; k <= measure.columnCount; ++k) {
    rule.appendRepeated('-', static_cast<std::size_t>(std::max(measure.columnWidths.intAt(k) + kRuleExtra, 0)));
    rule.appendByte('+');
  }
  return rule.takeText();
}

bool renderTablePieces(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
                       const RunPress& run, const std::function<void(std::string_view piece)>& take) {
  const TextValue rule = borderLine(measure);
  ByteBuffer table(kPieceSize + 1024);
  auto appendRule = [&] {
    table.append(rule.view());
    table.append("\r\n");
  };

  for (int32_t i = 1; i <= lines.count(); ++i) {
    if (run.superseded()) return false;
    const ArrayValue cells = splitText(lines.textAt(i), separator);
    const int32_t cellCount = cells.count();
    if (i <= 2) appendRule();
    table.appendByte('|');
    for (int32_t k = 1; k <= measure.columnCount; ++k) {
      const int32_t width = measure.columnWidths.intAt(k);
      table.appendByte(' ');
      int32_t padding = width + kPaddingExtra;
      if (k <= cellCount) {
        const char* cell = cells.textAt(k);
        const std::string_view content = cell != nullptr ? cell : "";
        table.append(content);
        padding -= static_cast<int32_t>(content.size());
      }
      table.appendRepeated(' ', static_cast<std::size_t>(std::max(padding, 0)));
      table.appendByte('|');
    }
    table.append("\r\n");
    if (table.size() >= kPieceSize) {
      take(table.view());
      table.clear();
    }
  }
  appendRule();
  take(table.view());
  return true;
}

TextValue renderTable(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
                      const RunPress& run) {
  ByteBuffer table;
  if (!renderTablePieces(lines, separator, measure, run, [&](std::string_view piece) { table.append(piece); })) {
    return {};
  }
  return table.takeText();
}
