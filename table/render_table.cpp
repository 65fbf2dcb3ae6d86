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

TablePieces::TablePieces(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
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
    const ArrayValue cells = splitText(lines_.textAt(nextLine_), separator_);
    const int32_t cellCount = cells.count();
    if (nextLine_ <= 2) appendRule();
    piece.push_back('|');
    for (int32_t k = 1; k <= measure_.columnCount; ++k) {
      const int32_t width = measure_.columnWidths.intAt(k);
      piece.push_back(' ');
      int32_t padding = width + kPaddingExtra;
      if (k <= cellCount) {
        const char* cell = cells.textAt(k);
        const std::string_view content = cell != nullptr ? cell : "";
        piece.append(content);
        padding -= static_cast<int32_t>(content.size());
      }
      piece.append(static_cast<std::size_t>(std::max(padding, 0)), ' ');
      piece.push_back('|');
    }
    piece.append("\r\n");
  }
  if (nextLine_ > lineCount) {
    appendRule();
    complete_ = true;
  }
  return true;
}

TextValue renderTable(const ArrayValue& lines, const char* separator, const ColumnMeasure& measure,
                      const RunPress& run) {
  ByteBuffer table;
  TablePieces pieces(lines, separator, measure, run);
  for (std::string piece; pieces.next(piece);) table.append(piece);
  if (!pieces.complete()) return {};
  return table.takeText();
}
