// The Qt backend's multi-line edit box, and its text as ANSI bytes. A big text is turned into
// a document off the main thread (a QTextDocument is reentrant), so setting it into the box
// is no more than handing the document over. Private to platform/qt.
#pragma once

#include <QFont>
#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/document_blocks.h"
#include "platform/window_system.h"

// A text for an edit box, started in the box's look on the main thread and filled on any
// thread, or a text taken out of a box. `ansi` holds the bytes as given when the document
// cannot give them back (a lone CR or LF), and holds such a text again when it is taken
// before anyone has edited the box.
struct PlatformText {
  QFont font;
  QTextOption option;
  bool undoRedo = true;
  // Filled on another thread: the document made in the look, belonging to no thread until the
  // box takes it. Filled on the main thread: the text cut, for the box's own document.
  std::unique_ptr<QTextDocument> document;
  // Where the next piece goes in the document: kept from piece to piece, since moving a new
  // cursor to the end would lay out the block it starts in, on the filling thread.
  std::unique_ptr<qtbackend::BlockWriter> end;
  std::vector<qtbackend::BlockTexts> cuts;
  bool keepsAnsi = false;
  std::string ansi;
  QString raw;  // taken: the document's raw text (rawTextMarkingSoftBreaks)
  // Kept by the thread that makes pieces ready: the cut goes on from piece to piece.
  struct Ahead {
    qtbackend::BlockCutter cutter;
    bool keepsAnsi = false;  // a lone break has come: every piece from it on keeps its bytes
    std::u16string wide;     // converted, before the cut; its room is kept for the next piece
  } ahead;
};

// A piece of an edit box's text converted and cut, waiting to be written into its document.
struct PlatformTextPiece {
  qtbackend::BlockTexts blocks;
  bool keepsAnsi = false;
  std::string ansi;  // as given, when keepsAnsi
};

namespace qtbackend {

// A multi-line edit box as a Windows one behaves in a window: Tab types a tab (the tool's
// first separator is the tab). Ctrl+Tab and Shift+Ctrl+Tab move the focus instead, as Qt's
// text boxes let a person leave them. A big paste or drop goes in a piece at a time, the
// window answering between pieces, as one step to undo; the box takes no typing meanwhile.
// Its document is cut into short blocks (document_blocks.h), which no key, paste or copy
// shows as line breaks where there are none.
// A copy offers the text, and HTML that keeps a table lined up (copy_flavours.cpp).
class EditBox : public QPlainTextEdit {
 public:
  explicit EditBox(QWidget* parent);

  // The window system's edit box text operations, for this box; all on the main thread.
  PlatformText* newText() const;
  void setText(std::unique_ptr<PlatformText> text);
  // Takes the text as it stands, a paste under way included: that is finished first.
  PlatformText* takeText();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  QMimeData* createMimeDataFromSelection() const override;

 private:
  // A paste going in piece by piece: what is left of it and where it goes.
  struct Paste {
    QString text;
    qsizetype at = 0;
    BlockWriter writer;
  };
  void pasteNextPiece();
  void endPaste();

  std::unique_ptr<Paste> paste_;
  QTimer nextPiece_;
  // The text as last set, while the document cannot give it back and nobody has edited it.
  bool keepsTextAsSet_ = false;
  std::string textAsSet_;
};

// The window system's appendEditText, prepareEditPiece, appendEditPiece and ansiText; any
// thread.
void appendText(PlatformText& text, std::string_view ansi);
void preparePiece(PlatformText& text, std::string_view ansi, PlatformTextPiece& piece);
void appendPiece(PlatformText& text, PlatformTextPiece& piece);
std::string ansiText(PlatformText& text);
PlatformText* splitText(PlatformText& text);

}  // namespace qtbackend
