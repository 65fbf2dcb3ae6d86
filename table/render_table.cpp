// Lays the measured lines out as the framed table, a piece at a time.
#include <algorithm>
#include <string_view>

#include "runtime/byte_buffer.h"
#include "runtime/cut_fields.h"
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

TablePieces::TablePieces(const InputLines& lines, const char* separator, const ColumnMeasure& measure,
                         const RunPress& run)
    : lines_(lines), separator_(separator), measure_(measure), run_(run), rule_(borderLine(measure)) {}

bool TablePieces::next(std::string& piece) {
  const int32_t lineCount = lines_.count();
  if (complete_ || stopped_) return false;
  piece.clear();
  piece.reserve(kPieceSize + 1024);
  auto appendRule = [&] {
    piece.append(rule_.view());
    piece.append("\r\n");
  };
  for (; nextLine_ <= lineCount && piece.size() < kPieceSize; ++nextLine_) {
    if (run_.superseded()) {
      stopped_ = true;
      return false;
    }
    if (nextLine_ <= 2) appendRule();
    piece.push_back('|');
    int32_t column = 0;
    auto appendCell = [&](const char* cell, std::size_t length) {
      const int32_t width = measure_.columnWidths.intAt(++column);
      piece.push_back(' ');
      piece.append(cell, length);
      piece.append(static_cast<std::size_t>(std::max(width + kPaddingExtra - static_cast<int32_t>(length), 0)), ' ');
      piece.push_back('|');
    };
    // No line has more cells than the table has columns; the missing ones are blank.
    cutFields(lines_.textAt(nextLine_), separator_, appendCell, measure_.columnCount);
    while (column < measure_.columnCount) appendCell("", 0);
    piece.append("\r\n");
  }
  if (nextLine_ > lineCount) {
    appendRule();
    complete_ = true;
  }
  return true;
}

TextValue renderTable(const InputLines& lines, const char* separator, const ColumnMeasure& measure,
                      const RunPress& run) {
  ByteBuffer table;
  TablePieces pieces(lines, separator, measure, run);
  for (std::string piece; pieces.next(piece);) table.append(piece);
  if (!pieces.complete()) return {};
  return table.takeText();
}
