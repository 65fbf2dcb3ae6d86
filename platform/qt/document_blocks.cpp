#include "platform/qt/document_blocks.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextDocument>

#include <string_view>

#include "platform/shared/ascii_runs.h"

namespace qtbackend {
namespace {

// A block format property of our own: set on a block that goes on with the line before it.
constexpr int kContinuesLine = QTextFormat::UserProperty + 1;

// Stands for a soft break in a text taken out of a document; the toolkit uses it only for
// frames, which a plain document has none of.
constexpr char16_t kSoftBreakMark = 0xFDD0;

void markBlock(QTextCursor& cursor, bool continuing) {
  QTextBlockFormat format = cursor.blockFormat();
  if (continuing) {
    format.setProperty(kContinuesLine, true);
  } else {
    // The plain format again, so that ordinary blocks share one.
    format.clearProperty(kContinuesLine);
  }
  cursor.setBlockFormat(format);
}

}  // namespace

bool continuesLine(const QTextBlock& block) { return block.blockFormat().boolProperty(kContinuesLine); }

BlockWriter::BlockWriter(const QTextCursor& cursor) : cursor_(cursor) {
  QTextCursor start(cursor);
  start.setPosition(cursor.selectionStart());
  blockContinues_ = continuesLine(start.block());
}

void BlockWriter::write(QStringView text) {
  // Inside an edit block the cursor does not lay out the block it stands in after every
  // insertion (nor, for the widest block, every other block), and the layout hears of the
  // whole piece once.
  cursor_.beginEditBlock();
  pending_.reserve(qMin<qsizetype>(text.size(), qsizetype{kBlockColumns} * 2));
  const char16_t* const units = text.utf16();
  const qsizetype size = text.size();
  for (qsizetype at = 0; at < size;) {
    // The units up to the next line end, line separator or full row go in as one run: a
    // table's row is one or two runs, not a hundred appends.
    qsizetype end = at;
    int columns = columns_;
    for (; end < size; ++end) {
      // Printable ASCII is one column a unit and breaks nothing: a table's line is mostly that.
      const size_t printable = asciiRuns::printableUnits(std::u16string_view(units + end, static_cast<size_t>(size - end)),
                                                         static_cast<size_t>(kBlockColumns - columns));
      end += static_cast<qsizetype>(printable);
      columns += static_cast<int>(printable);
      if (end == size) break;
      const char16_t unit = units[end];
      if (unit == u'\r' || unit == u'\n' || unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator) break;
      const bool trail = QChar::isLowSurrogate(unit);
      const int width = unit < 0x80 ? 1 : trail ? 0 : 2;
      if (!trail && columns + width > kBlockColumns) break;
      columns += width;
    }
    if (end > at) {
      pending_.append(QStringView(units + at, end - at));
      units_ += static_cast<int>(end - at);
      columns_ = columns;
      at = end;
      continue;
    }
    char16_t unit = units[at++];
    if (unit == u'\r' || unit == u'\n' || unit == QChar::ParagraphSeparator) {
      if (unit == u'\r' && at < size && units[at] == u'\n') ++at;
      if (lines_ >= kBlockLines || units_ >= kBlockColumns) {
        endBlock(false);
      } else {
        pending_ += QChar::LineSeparator;
        ++lines_;
        ++units_;
        columns_ = 0;
      }
      continue;
    }
    // A unit that starts a row of its own, or a line separator of the text's.
    const int width = unit < 0x80 ? 1 : 2;
    if (columns_ + width > kBlockColumns) endBlock(true);
    if (unit == QChar::LineSeparator) unit = u'?';
    pending_ += QChar(unit);
    columns_ += width;
    ++units_;
  }
  flush();
  QTextBlock current = cursor_.block();
  current.setUserState(lines_);
  cursor_.endEditBlock();
}

void BlockWriter::endBlock(bool continuing) {
  pending_ += QChar::ParagraphSeparator;
  flush();
  // The new block took the mark of the one it was split from.
  if (continuing != blockContinues_) {
    markBlock(cursor_, continuing);
    blockContinues_ = continuing;
  }
  QTextBlock finished = cursor_.block().previous();
  finished.setUserState(lines_);
  finished.setLineCount(lines_);
  lines_ = 1;
  units_ = 0;
  columns_ = 0;
}

void BlockWriter::flush() {
  if (pending_.isEmpty()) return;
  cursor_.insertText(pending_);
  pending_.clear();
}

void breakLine(QTextCursor& cursor) {
  cursor.beginEditBlock();
  cursor.insertBlock();
  if (continuesLine(cursor.block())) markBlock(cursor, false);
  cursor.endEditBlock();
}

QString rawTextMarkingSoftBreaks(const QTextDocument& document) {
  QString raw = document.toRawText();
  QChar* const units = raw.data();
  for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next()) {
    if (continuesLine(block)) units[block.position() - 1] = QChar(kSoftBreakMark);
  }
  return raw;
}

QString copiedText(const QTextCursor& selection) {
  const QString selected = selection.selectedText();
  const int start = selection.selectionStart();
  const int end = selection.selectionEnd();
  QString copied;
  copied.reserve(selected.size());
  qsizetype from = 0;
  const QTextDocument& document = *selection.document();
  for (QTextBlock block = document.findBlock(start).next(); block.isValid() && block.position() <= end;
       block = block.next()) {
    if (!continuesLine(block)) continue;
    const qsizetype softBreak = block.position() - 1 - start;
    copied += QStringView(selected).sliced(from, softBreak - from);
    from = softBreak + 1;
  }
  copied += QStringView(selected).sliced(from);
  for (QChar& unit : copied) {
    if (unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator) {
      unit = QLatin1Char('\n');
    } else if (unit == QChar::Nbsp) {
      unit = QLatin1Char(' ');
    }
  }
  return copied;
}

void restoreLineCounts(QTextDocument& document) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.userState() > 1) block.setLineCount(block.userState());
  }
}

bool isSoftBreakMark(QChar unit) { return unit.unicode() == kSoftBreakMark; }

}  // namespace qtbackend
