// How an edit box's text is cut into the blocks of its document. The toolkit lays a block out
// whole, on the main thread, whenever any of it is shown, and pays for every block it holds
// when a document is set; so a block holds up to kBlockLines lines (U+2028 between them) and
// no line of more than kBlockColumns columns: a longer line goes on in the next block, which
// is marked as continuing it (a soft break). The box's text is the document's with U+2028 and
// every other block break read as a line break, and soft breaks read as nothing. Private to
// platform/qt.
#pragma once

#include <QString>
#include <QStringView>
#include <QTextCursor>

#include <vector>

class QTextBlock;
class QTextDocument;

namespace qtbackend {

// Columns a block's line may hold (a character beyond ASCII counts two, as in the grid font):
// a line shaped in pieces of this size answers at once wherever it is scrolled to.
constexpr int kBlockColumns = 4096;
// Lines a block holds: fewer blocks make a big table's document quicker to build and to set.
constexpr int kBlockLines = 32;

// True when the block goes on with the line of the block before it.
bool continuesLine(const QTextBlock& block);

// Text cut into the blocks it is written in, ready for a BlockWriter: made on any thread, as
// the cutting is all computation and the writing is the document's.
struct BlockTexts {
  // One insertion: the units from the part before's end to its own.
  struct Part {
    qsizetype end;
    int lines;        // of the block the part ends with U+2029; 0 when the block goes on
    bool continuing;  // the mark of the block that U+2029 starts
  };
  QString units;
  std::vector<Part> parts;
  int openLines = 1;  // of the block the last part leaves open
};

// Cuts text into blocks as above. "\r\n", a lone "\r" or "\n" and U+2029 each end a line; a
// U+2028 of the text itself is cut as "?", the sign it reads as in the box's code page, so
// that it cannot become a line break. Carries the open block from one cut to the next.
class BlockCutter {
 public:
  // Cuts text that goes on after what was cut before, replacing what *into held; a piece may
  // end anywhere but inside "\r\n" or a surrogate pair.
  void cut(QStringView text, BlockTexts* into);

 private:
  void endBlock(BlockTexts& into, bool continuing);

  int columns_ = 0;        // of the current line in the current block
  int lines_ = 1;          // lines of the current block
  int units_ = 0;          // of the current block
};

// Writes text into a document at a cursor, cut into blocks as above.
class BlockWriter {
 public:
  // Starts at the cursor (replacing its selection), inside whatever block it stands in.
  explicit BlockWriter(const QTextCursor& cursor);

  // Writes text after what was written before; a piece may end anywhere but inside "\r\n" or
  // a surrogate pair.
  void write(QStringView text);
  // Writes what a cutter made of the text that comes next.
  void write(const BlockTexts& blocks);
  // The cursor after the text written so far; an edit block opened on it holds the writes.
  QTextCursor& cursor() { return cursor_; }

 private:
  QTextCursor cursor_;
  BlockCutter cutter_;     // of the texts written here as they are
  BlockTexts cut_;
  bool blockContinues_;    // the current block's mark, which a new block inherits
};

// Ends the line at the cursor, replacing its selection, as Enter does: the new block starts a
// line even where the cursor stood in a block that continues one.
void breakLine(QTextCursor& cursor);

// The document's raw text with each soft break as U+FDD0, a character a plain document never
// holds, for ansiOfRaw to drop; U+2029 and U+2028 stand for line breaks.
QString rawTextMarkingSoftBreaks(const QTextDocument& document);

// The same for texts cut to be written into a document that starts empty, in order.
QString rawTextMarkingSoftBreaks(const std::vector<BlockTexts>& cuts);

// True for the mark rawTextMarkingSoftBreaks puts for a soft break.
bool isSoftBreakMark(QChar unit);

// The place of the first break of a raw text (U+2029, U+2028 or a soft break's mark) from
// `from` on, before `to`; `to` when there is none.
qsizetype nextBreak(const QString& raw, qsizetype from, qsizetype to);

// The text a person copies from the cursor's selection: line breaks as "\n", no-break spaces
// as spaces, as the toolkit's own copy gave them; soft breaks give nothing.
QString copiedText(const QTextCursor& selection);

// Gives each block written by a BlockWriter its count of lines again, which the box resets to
// one when it takes a document: the scroll bar counts lines, not blocks.
void restoreLineCounts(QTextDocument& document);

}  // namespace qtbackend
