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

#include <cstdlib>
#include <utility>

#include "platform/code_page.h"
#include "platform/out_of_memory.h"
#include "platform/qt/main_thread_receiver.h"

namespace qtbackend {
namespace {

// About this many bytes (or UTF-16 units) go through the code page at a time; a slice ends
// after a line break, so no character, and no "\r\n", is ever cut in two.
constexpr size_t kSlice = size_t{64} * 1024;

// '\r' and '\n' are never the trail byte of a GBK character, so bytes can be searched as is.
bool hasLoneLineBreak(std::string_view text) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      ++at;
    } else if (text[at] == '\r' || text[at] == '\n') {
      return true;
    }
  }
  return false;
}

// A paste longer than this many UTF-16 units goes in pieces of about this size, each cut after
// a line break: inserting it whole would hold the main thread for as long as the text takes
// to go into the document (seconds for a million lines).
constexpr qsizetype kPastePiece = qsizetype{64} * 1024;

// Room a paste of `units` needs while it goes in: the document's text grows to twice the text
// it holds, and the undo step keeps what it replaced. Asked of the heap first, so that a
// refused block ends the program through its own box, before the toolkit, which does not
// check every allocation of its own, can fail inside the paste.
void checkRoomForPaste(qsizetype units) {
  const size_t size = static_cast<size_t>(units) * sizeof(QChar) * 3;
  void* room = std::malloc(size);
  if (room == nullptr) {
    if (const OutOfMemoryHandler handler = outOfMemoryHandler()) handler(size);
  }
  std::free(room);
}

}  // namespace

EditBox::EditBox(QWidget* parent) : QPlainTextEdit(parent) {
  nextPiece_.setSingleShot(true);
  connect(&nextPiece_, &QTimer::timeout, this, [this] { pasteNextPiece(); });
}

void EditBox::insertFromMimeData(const QMimeData* source) {
  QString text = source->text();
  if (text.size() <= kPastePiece || paste_ != nullptr) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  checkRoomForPaste(text.size());
  paste_ = std::make_unique<Paste>(Paste{std::move(text), 0, textCursor()});
  setReadOnly(true);
  pasteNextPiece();
}

void EditBox::pasteNextPiece() {
  Paste& paste = *paste_;
  qsizetype length = paste.text.size() - paste.at;
  if (length > kPastePiece) {
    // After a line feed, so that neither "\r\n" nor a surrogate pair is cut; a line longer
    // than a piece goes whole.
    const qsizetype lineFeed = paste.text.indexOf(QLatin1Char('\n'), paste.at + kPastePiece - 1);
    if (lineFeed >= 0) length = lineFeed + 1 - paste.at;
  }
  // One undo step for the whole paste: the first piece opens it, replacing the selection.
  if (paste.at == 0) {
    paste.cursor.beginEditBlock();
  } else {
    paste.cursor.joinPreviousEditBlock();
  }
  paste.cursor.insertText(QStringView(paste.text).sliced(paste.at, length).toString());
  paste.cursor.endEditBlock();
  paste.at += length;
  if (paste.at < paste.text.size()) {
    nextPiece_.start(0);
  } else {
    const QTextCursor after = paste.cursor;
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
  QPlainTextEdit::keyPressEvent(event);
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
// its raw text, where U+2029 is the break between blocks.
std::string ansiOfRaw(const QString& raw) {
  std::string ansi;
  ansi.reserve(static_cast<size_t>(raw.size()) * 2);  // at most two bytes a unit or a break
  std::u16string slice;
  std::string converted;
  for (qsizetype at = 0; at < raw.size();) {
    const qsizetype separator = raw.size() - at > static_cast<qsizetype>(kSlice)
                                    ? raw.indexOf(QChar::ParagraphSeparator, at + static_cast<qsizetype>(kSlice))
                                    : -1;
    const qsizetype next = separator < 0 ? raw.size() : separator + 1;
    slice.clear();
    for (qsizetype i = at; i < next; ++i) {
      const QChar unit = raw[i];
      if (unit == QChar::ParagraphSeparator) {
        slice += u"\r\n";
      } else {
        slice += static_cast<char16_t>(unit.unicode());
      }
    }
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

// Inserts ansi at `end`, the end of its document, a slice at a time.
void insertAtEnd(QTextCursor& end, std::string_view ansi) {
  QTextDocument& document = *end.document();
  const int firstNewBlock = document.blockCount() - 1;
  std::u16string wide;
  for (size_t at = 0; at < ansi.size();) {
    const size_t lineFeed = ansi.size() - at > kSlice ? ansi.find('\n', at + kSlice) : std::string_view::npos;
    const size_t next = lineFeed == std::string_view::npos ? ansi.size() : lineFeed + 1;
    platformCodePage().convertToUtf16(ansi.substr(at, next - at), &wide);
    // The cursor takes "\r\n" as one line break, as the box shows it.
    end.insertText(QString::fromRawData(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size())));
    at = next;
  }
  // The box lays every block out afresh when it takes a document, making a layout object for
  // each block that has none; made here, they cost the main thread nothing but clearing.
  for (QTextBlock block = document.findBlockByNumber(firstNewBlock); block.isValid(); block = block.next()) {
    block.layout();
  }
}

}  // namespace

void appendText(PlatformText& text, std::string_view ansi) {
  // A text with a lone line break is kept as bytes as well, from its first piece on: the
  // pieces before it had none, so what they became gives them back.
  if (!text.keepsAnsi && hasLoneLineBreak(ansi)) {
    text.keepsAnsi = true;
    if (text.document != nullptr) {
      text.ansi = ansiOfRaw(text.document->toRawText());
    } else {
      platformCodePage().convertToAnsi(text.wide, &text.ansi);
    }
  }
  if (text.keepsAnsi) text.ansi += ansi;
  // The main thread would pay for the document either way, and a box given a whole document
  // makes a layout object for every block of it; its own document makes them for the lines
  // it shows. A text begun that way stays that way, whichever thread adds to it.
  if (text.document == nullptr && (mainThreadGate.isMainThread() || !text.wide.empty())) {
    std::u16string wide;
    platformCodePage().convertToUtf16(ansi, &wide);
    text.wide += wide;
    return;
  }
  if (text.document == nullptr) {
    text.document = newDocument(text);
    text.end = QTextCursor(text.document.get());
  } else {
    // Left belonging to no thread by the last piece; pulled onto this one to be filled.
    text.document->moveToThread(QThread::currentThread());
  }
  insertAtEnd(text.end, ansi);
  // Belonging to no thread, it can be pulled onto the main thread by the box, or released here.
  text.document->moveToThread(nullptr);
}

void EditBox::setText(std::unique_ptr<PlatformText> text) {
  // The whole text is replaced: a paste under way has nowhere left to go.
  if (paste_ != nullptr) endPaste();
  keepsTextAsSet_ = text->keepsAnsi;
  textAsSet_ = std::move(text->ansi);
  if (text->document == nullptr) {
    // The cursor takes "\r\n" as one line break, as the box shows it.
    setPlainText(QString::fromRawData(reinterpret_cast<const QChar*>(text->wide.data()),
                                      static_cast<qsizetype>(text->wide.size())));
    document()->setModified(false);
    return;
  }
  text->end = QTextCursor();
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
    text->raw = document()->toRawText();
  }
  return text;
}

std::string ansiText(PlatformText& text) {
  if (text.keepsAnsi) return std::exchange(text.ansi, std::string());
  return ansiOfRaw(std::exchange(text.raw, QString()));
}

}  // namespace qtbackend
