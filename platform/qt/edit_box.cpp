// An edit box's text goes through the code page in slices. On the way in, off the main thread,
// each slice of ANSI bytes is converted and inserted into the new document before the next, so
// a table is never held whole a second time as UTF-16; on the way out, the document's line
// breaks become "\r\n" in the same pass that converts them.
#include "platform/qt/edit_box.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/code_page.h"
#include "platform/out_of_memory.h"
#include "platform/qt/document_blocks.h"
#include "platform/qt/main_thread_receiver.h"

namespace qtbackend {
namespace {

// About this many bytes (or UTF-16 units) go through the code page at a time; a slice ends
// after a line break, so no character, and no "\r\n", is ever cut in two.
constexpr size_t kSlice = size_t{64} * 1024;

// '\r' and '\n' are never the trail byte of a GBK character, so bytes can be searched as is.
// Every line must end in "\r\n" and hold no other break: searched a line at a time, so that
// a table's long lines go at the library's search speed.
bool hasLoneLineBreak(std::string_view text) {
  for (size_t from = 0; from < text.size();) {
    const size_t lineFeed = text.find('\n', from);
    const size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    const size_t carriageReturn = text.substr(from, end - from).find('\r');
    if (lineFeed == std::string_view::npos) return carriageReturn != std::string_view::npos;
    if (carriageReturn == std::string_view::npos || from + carriageReturn + 1 != end) return true;
    from = lineFeed + 1;
  }
  return false;
}

// A paste longer than this many UTF-16 units goes in pieces of about this size: inserting it
// whole would hold the main thread for as long as the text takes to go into the document
// (seconds for a million lines).
constexpr qsizetype kPastePiece = qsizetype{64} * 1024;

// Asks the heap for `size` bytes and gives them back: the toolkit does not check every
// allocation of its own, so room it is about to need is asked for first, and a refusal ends
// the program through its own box rather than inside the toolkit.
void checkRoom(size_t size) {
  void* room = std::malloc(size);
  if (room == nullptr) {
    if (const OutOfMemoryHandler handler = outOfMemoryHandler()) handler(size);
  }
  std::free(room);
}

// Room a paste of `units` needs while it goes in: the document's text grows to twice the text
// it holds, and the undo step keeps what it replaced.
void checkRoomForPaste(qsizetype units) { checkRoom(static_cast<size_t>(units) * sizeof(QChar) * 3); }

// Room for `units` more in a document: its text is one buffer, which doubles when it is full,
// so it may need as much again as the text it will hold (the blocks and the steps to undo are
// small beside it).
void checkRoomForPiece(const QTextDocument& document, qsizetype units) {
  checkRoom(static_cast<size_t>(document.characterCount() + units) * sizeof(QChar));
}

}  // namespace

EditBox::EditBox(QWidget* parent) : QPlainTextEdit(parent) {
  nextPiece_.setSingleShot(true);
  connect(&nextPiece_, &QTimer::timeout, this, [this] { pasteNextPiece(); });
}

void EditBox::insertFromMimeData(const QMimeData* source) {
  // Every paste is written in the box's blocks; the toolkit's own would put a line of any
  // length in one, and a line break inside a continuing block would continue it too.
  if (paste_ != nullptr || !source->hasText()) return;
  QString text = source->text();
  const bool big = text.size() > kPastePiece;
  if (big) checkRoomForPaste(text.size());
  paste_ = std::make_unique<Paste>(Paste{std::move(text), 0, BlockWriter(textCursor())});
  if (big) setReadOnly(true);
  pasteNextPiece();
}

void EditBox::pasteNextPiece() {
  Paste& paste = *paste_;
  qsizetype length = paste.text.size() - paste.at;
  if (length > kPastePiece) {
    length = kPastePiece;
    // Neither "\r\n" nor a surrogate pair is cut.
    const QChar last = paste.text[paste.at + length - 1];
    const QChar next = paste.text[paste.at + length];
    if ((last == QLatin1Char('\r') && next == QLatin1Char('\n')) || (last.isHighSurrogate() && next.isLowSurrogate())) {
      --length;
    }
  }
  // One undo step for the whole paste: the first piece opens it, replacing the selection.
  QTextCursor& cursor = paste.writer.cursor();
  if (paste.text.size() > kPastePiece) checkRoomForPiece(*document(), length);
  if (paste.at == 0) {
    cursor.beginEditBlock();
  } else {
    cursor.joinPreviousEditBlock();
  }
  paste.writer.write(QStringView(paste.text).sliced(paste.at, length));
  cursor.endEditBlock();
  paste.at += length;
  if (paste.at < paste.text.size()) {
    nextPiece_.start(0);
  } else {
    const QTextCursor after = cursor;
    endPaste();
    setTextCursor(after);
    ensureCursorVisible();
  }
}

void EditBox::endPaste() {
  nextPiece_.stop();
  paste_.reset();
  setReadOnly(false);
}

void EditBox::keyPressEvent(QKeyEvent* event) {
  const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
  if (tab && (event->modifiers() & Qt::ControlModifier) != 0) {
    // QPlainTextEdit's own refuses while Tab types; the scroll area's moves the focus.
    QAbstractScrollArea::focusNextPrevChild(event->key() == Qt::Key_Tab &&
                                             (event->modifiers() & Qt::ShiftModifier) == 0);
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (isReadOnly() || !(enter || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) ||
      (modifiers & ~Qt::ShiftModifier) != 0) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  QTextCursor cursor = textCursor();
  if (enter) {
    // Shift+Enter too, as in a Windows box: the toolkit's would put a U+2028 in the line.
    breakLine(cursor);
  } else if (cursor.hasSelection() || modifiers != 0) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  } else if (event->key() == Qt::Key_Backspace && cursor.atBlockStart() && continuesLine(cursor.block())) {
    // A soft break is no character: the key takes the one before it.
    cursor.setPosition(cursor.position() - 1);
    cursor.deletePreviousChar();
  } else if (event->key() == Qt::Key_Delete && cursor.atBlockEnd() && continuesLine(cursor.block().next())) {
    cursor.setPosition(cursor.position() + 1);
    cursor.deleteChar();
  } else {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  setTextCursor(cursor);
  ensureCursorVisible();
  event->accept();
}

PlatformText* EditBox::newText() const {
  auto* text = new PlatformText;
  text->font = font();
  text->option = document()->defaultTextOption();
  text->undoRedo = document()->isUndoRedoEnabled();
  return text;
}

namespace {

// The bytes a text's converted form stands for, "\r\n" between lines; for a document, from
// its raw text, where U+2029 and U+2028 break lines and soft breaks are marked to be dropped.
std::string ansiOfRaw(const QString& raw) {
  std::string ansi;
  ansi.reserve(static_cast<size_t>(raw.size()) * 2);  // at most two bytes a unit or a break
  std::u16string slice;
  std::string converted;
  const char16_t* const units = reinterpret_cast<const char16_t*>(raw.constData());
  for (qsizetype at = 0; at < raw.size();) {
    // A slice ends after a break of any kind.
    qsizetype next = raw.size();
    if (raw.size() - at > static_cast<qsizetype>(kSlice)) {
      next = std::min(nextBreak(raw, at + static_cast<qsizetype>(kSlice), raw.size()) + 1, raw.size());
    }
    slice.clear();
    qsizetype runStart = at;
    for (qsizetype i = nextBreak(raw, at, next); i < next; i = nextBreak(raw, i + 1, next)) {
      slice.append(units + runStart, static_cast<size_t>(i - runStart));
      if (!isSoftBreakMark(raw[i])) slice += u"\r\n";
      runStart = i + 1;
    }
    slice.append(units + runStart, static_cast<size_t>(next - runStart));
    platformCodePage().convertToAnsi(slice, &converted);
    ansi += converted;
    at = next;
  }
  return ansi;
}

// A new document in the text's look, laid out as the box lays out its own.
std::unique_ptr<QTextDocument> newDocument(const PlatformText& text) {
  auto document = std::make_unique<QTextDocument>();
  document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
  document->setDefaultFont(text.font);
  document->setDefaultTextOption(text.option);
  document->setUndoRedoEnabled(false);
  return document;
}

// From the first lone line break on, every piece keeps its bytes.
void noteLoneBreaks(PlatformText::Ahead& ahead, std::string_view ansi) {
  if (!ahead.keepsAnsi && hasLoneLineBreak(ansi)) ahead.keepsAnsi = true;
}

// Converts and cuts ansi as the next piece of text, its lone breaks already looked for.
void prepareChecked(PlatformText::Ahead& ahead, std::string_view ansi, PlatformTextPiece& piece) {
  piece.keepsAnsi = ahead.keepsAnsi;
  if (piece.keepsAnsi) {
    piece.ansi.assign(ansi);
  } else {
    piece.ansi.clear();
  }
  platformCodePage().convertToUtf16(ansi, &ahead.wide);
  ahead.cutter.cut(QStringView(ahead.wide.data(), static_cast<qsizetype>(ahead.wide.size())), &piece.blocks);
}

}  // namespace

void preparePiece(PlatformText& text, std::string_view ansi, PlatformTextPiece& piece) {
  noteLoneBreaks(text.ahead, ansi);
  prepareChecked(text.ahead, ansi, piece);
}

void appendPiece(PlatformText& text, PlatformTextPiece& piece) {
  // A text with a lone line break is kept as bytes as well, from its first piece on: the
  // pieces before it had none, so what they became gives them back.
  if (piece.keepsAnsi && !text.keepsAnsi) {
    text.keepsAnsi = true;
    text.ansi = ansiOfRaw(text.document != nullptr ? rawTextMarkingSoftBreaks(*text.document)
                                                   : rawTextMarkingSoftBreaks(text.cuts));
  }
  if (text.keepsAnsi) text.ansi += piece.ansi;
  // The main thread would pay for the document either way, and a box given a whole document
  // makes a layout object for every block of it; its own document makes them for the lines
  // it shows. A text begun that way stays that way, whichever thread adds to it.
  if (text.document == nullptr && (mainThreadGate.isMainThread() || !text.cuts.empty())) {
    if (!piece.blocks.parts.empty()) text.cuts.push_back(std::move(piece.blocks));
    return;
  }
  if (text.document == nullptr) {
    text.document = newDocument(text);
    text.end = std::make_unique<BlockWriter>(QTextCursor(text.document.get()));
  } else {
    // Left belonging to no thread by the last piece; pulled onto this one to be filled.
    text.document->moveToThread(QThread::currentThread());
  }
  QTextDocument& document = *text.document;
  const int firstNewBlock = document.blockCount() - 1;
  checkRoomForPiece(document, piece.blocks.units.size());
  text.end->write(piece.blocks);
  // The box lays every block out afresh when it takes a document, making a layout object for
  // each block that has none; made here, they cost the main thread nothing but clearing.
  for (QTextBlock block = document.findBlockByNumber(firstNewBlock); block.isValid(); block = block.next()) {
    block.layout();
  }
  // Belonging to no thread, it can be pulled onto the main thread by the box, or released here.
  document.moveToThread(nullptr);
}

void appendText(PlatformText& text, std::string_view ansi) {
  // Looked for in the whole text first, so that its bytes are kept from its first slice on.
  noteLoneBreaks(text.ahead, ansi);
  // A slice at a time, so that the text is never held whole a second time as UTF-16; an empty
  // text is a slice too, which starts the document as any other does.
  PlatformTextPiece piece;
  size_t at = 0;
  do {
    const size_t lineFeed = ansi.size() - at > kSlice ? ansi.find('\n', at + kSlice) : std::string_view::npos;
    const size_t next = lineFeed == std::string_view::npos ? ansi.size() : lineFeed + 1;
    prepareChecked(text.ahead, ansi.substr(at, next - at), piece);
    appendPiece(text, piece);
    at = next;
  } while (at < ansi.size());
}

void EditBox::setText(std::unique_ptr<PlatformText> text) {
  // The whole text is replaced: a paste under way has nowhere left to go.
  if (paste_ != nullptr) endPaste();
  keepsTextAsSet_ = text->keepsAnsi;
  textAsSet_ = std::move(text->ansi);
  if (text->document == nullptr) {
    clear();
    // Written as it comes, not as a step to undo: the whole text is new.
    QTextDocument& own = *document();
    own.setUndoRedoEnabled(false);
    BlockWriter writer{QTextCursor(&own)};
    for (const BlockTexts& cut : text->cuts) writer.write(cut);
    own.setUndoRedoEnabled(text->undoRedo);
    own.setModified(false);
    moveCursor(QTextCursor::Start);
    return;
  }
  text->end.reset();
  QTextDocument* document = text->document.release();
  document->moveToThread(thread());
  document->setUndoRedoEnabled(text->undoRedo);
  document->setModified(false);
  document->setParent(this);
  document->documentLayout()->setPaintDevice(viewport());
  // Laid out in the font the box had when the text was started; should the box have changed
  // since, the document follows it (one more pass over its blocks).
  if (document->defaultFont() != font()) document->setDefaultFont(font());
  QTextDocument* previous = this->document();
  const bool previousIsOurs = previous->parent() == this;
  // The box deletes the document it was made with itself.
  setDocument(document);
  restoreLineCounts(*document);
  // The scroll bar learns the counts.
  emit document->documentLayout()->documentSizeChanged(document->documentLayout()->documentSize());
  if (previousIsOurs) delete previous;
}

PlatformText* EditBox::takeText() {
  while (paste_ != nullptr) pasteNextPiece();
  auto* text = new PlatformText;
  if (keepsTextAsSet_ && !document()->isModified()) {
    text->keepsAnsi = true;
    text->ansi = textAsSet_;
  } else {
    // The raw text, where nothing is replaced: its plain text would turn a no-break space
    // into a space.
    text->raw = rawTextMarkingSoftBreaks(*document());
  }
  return text;
}

std::string ansiText(PlatformText& text) {
  if (text.keepsAnsi) return std::exchange(text.ansi, std::string());
  return ansiOfRaw(std::exchange(text.raw, QString()));
}

PlatformText* splitText(PlatformText& text) {
  // Two slices or fewer are converted in one go: a second thread would save less than it costs.
  if (text.keepsAnsi || text.raw.size() <= static_cast<qsizetype>(2 * kSlice)) return nullptr;
  // After a break, as ansiOfRaw cuts its slices: the parts convert to what the whole does.
  const qsizetype cut = nextBreak(text.raw, text.raw.size() / 2, text.raw.size()) + 1;
  if (cut >= text.raw.size()) return nullptr;
  auto* rest = new PlatformText;
  rest->raw = text.raw.mid(cut);
  text.raw.truncate(cut);
  return rest;
}

}  // namespace qtbackend
