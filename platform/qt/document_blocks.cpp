#include "platform/qt/document_blocks.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextDocument>

#include <bit>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void BlockCutter::cut(QStringView text, BlockTexts* into) {
  BlockTexts& cut = *into;
  cut.parts.clear();
  cut.units.clear();
  // Line ends become one unit or none, and a row of kBlockColumns at most adds one.
  cut.units.reserve(text.size() + text.size() / kBlockColumns + 1);
  QString& out = cut.units;
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
      out.append(QStringView(units + at, end - at));
      units_ += static_cast<int>(end - at);
      columns_ = columns;
      at = end;
      continue;
    }
    char16_t unit = units[at++];
    if (unit == u'\r' || unit == u'\n' || unit == QChar::ParagraphSeparator) {
      if (unit == u'\r' && at < size && units[at] == u'\n') ++at;
      if (lines_ >= kBlockLines || units_ >= kBlockColumns) {
        endBlock(cut, false);
      } else {
        out += QChar::LineSeparator;
        ++lines_;
        ++units_;
        columns_ = 0;
      }
      continue;
    }
    // A unit that starts a row of its own, or a line separator of the text's.
    const int width = unit < 0x80 ? 1 : 2;
    if (columns_ + width > kBlockColumns) endBlock(cut, true);
    if (unit == QChar::LineSeparator) unit = u'?';
    out += QChar(unit);
    columns_ += width;
    ++units_;
  }
  if (out.size() > (cut.parts.empty() ? 0 : cut.parts.back().end)) cut.parts.push_back({out.size(), 0, false});
  cut.openLines = lines_;
}

void BlockCutter::endBlock(BlockTexts& into, bool continuing) {
  into.units += QChar::ParagraphSeparator;
  into.parts.push_back({into.units.size(), lines_, continuing});
  lines_ = 1;
  units_ = 0;
  columns_ = 0;
}

BlockWriter::BlockWriter(const QTextCursor& cursor) : cursor_(cursor) {
  QTextCursor start(cursor);
  start.setPosition(cursor.selectionStart());
  blockContinues_ = continuesLine(start.block());
}

void BlockWriter::write(QStringView text) {
  cutter_.cut(text, &cut_);
  write(cut_);
}

void BlockWriter::write(const BlockTexts& blocks) {
  // Inside an edit block the cursor does not lay out the block it stands in after every
  // insertion (nor, for the widest block, every other block), and the layout hears of the
  // whole piece once.
  cursor_.beginEditBlock();
  qsizetype from = 0;
  for (const BlockTexts::Part& part : blocks.parts) {
    // Inserted from where it stands: the document copies it anyway.
    cursor_.insertText(QString::fromRawData(blocks.units.constData() + from, part.end - from));
    from = part.end;
    if (part.lines == 0) continue;
    // The new block took the mark of the one it was split from.
    if (part.continuing != blockContinues_) {
      markBlock(cursor_, part.continuing);
      blockContinues_ = part.continuing;
    }
    QTextBlock finished = cursor_.block().previous();
    finished.setUserState(part.lines);
    finished.setLineCount(part.lines);
  }
  QTextBlock current = cursor_.block();
  current.setUserState(blocks.openLines);
  cursor_.endEditBlock();
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

QString rawTextMarkingSoftBreaks(const std::vector<BlockTexts>& cuts) {
  QString raw;
  for (const BlockTexts& cut : cuts) {
    const qsizetype from = raw.size();
    raw += cut.units;
    for (const BlockTexts::Part& part : cut.parts) {
      if (part.lines != 0 && part.continuing) raw[from + part.end - 1] = QChar(kSoftBreakMark);
    }
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

qsizetype nextBreak(const QString& raw, qsizetype from, qsizetype to) {
  const char16_t* const units = reinterpret_cast<const char16_t*>(raw.constData());
  qsizetype at = from;
#if defined(__SSE2__)
  // Eight units at a time: a line of a paste is tens of units, and half of a Chinese one lies
  // above U+2028 too, so a test of each unit's range alone would stop at every character.
  const __m128i lines = _mm_set1_epi16(static_cast<short>(QChar::LineSeparator));
  const __m128i paragraphs = _mm_set1_epi16(static_cast<short>(QChar::ParagraphSeparator));
  const __m128i marks = _mm_set1_epi16(static_cast<short>(kSoftBreakMark));
  for (; to - at >= 8; at += 8) {
    const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
    const __m128i breaks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(eight, lines), _mm_cmpeq_epi16(eight, paragraphs)),
                                        _mm_cmpeq_epi16(eight, marks));
    if (const int found = _mm_movemask_epi8(breaks); found != 0) {
      return at + std::countr_zero(static_cast<unsigned>(found)) / 2;
    }
  }
#endif
  for (; at < to; ++at) {
    const char16_t unit = units[at];
    if (unit == QChar::LineSeparator || unit == QChar::ParagraphSeparator || unit == kSoftBreakMark) return at;
  }
  return to;
}

}  // namespace qtbackend
