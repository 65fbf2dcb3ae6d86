// The only way the program touches its controls: by window id, control id and property
// number, from any thread. A worker's access is carried to the main thread and waits for it.
// A window that is not loaded or already destroyed is a fatal error, as the program only
// meets one when a run outlives the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "runtime/text_value.h"

struct PlatformText;
struct PlatformTextPiece;

// Property numbers; 0 to 7 are common to all unit types, 8 upward belong to the type.
namespace property {
inline constexpr int32_t kContent = 8;   // EditBox: the whole text
inline constexpr int32_t kChecked = 18;  // RadioBox: 1 when checked, else 0
}  // namespace property

// A property's value as read: a text or a number, whichever the property holds.
struct PropertyValue {
  TextValue text;
  int32_t number = 0;
};

// A value to write, lent by the caller.
struct PropertyInput {
  const char* text = nullptr;
  int32_t number = 0;
};

// Reads the live control. content: a new text the caller owns, null for an empty box, line
// breaks "\r\n", a NUL in the box read as "?". checked: 1 or 0. An unknown control or
// property reads as zero values.
PropertyValue readControlProperty(uint32_t windowId, uint32_t controlId, int32_t property);

// Writes the control: content shows a copy of text as the box's whole text ("\r\n" breaks);
// checked sets the check. An unknown control or property is ignored.
void writeControlProperty(uint32_t windowId, uint32_t controlId, int32_t property, PropertyInput value);

// A content write in two steps, so that its heavy part runs on the caller's thread: the code
// page's conversion, and laying the text out where the window system needs that. Made by
// prepareContent on any thread, filled there, and written by writePreparedContent on the main
// thread, where nothing is left to do but set it. Dropping one unwritten releases what it
// holds.
class PreparedContent {
 public:
  PreparedContent() = default;

  // A piece of the content made ready ahead by prepare; dropping one releases it.
  class Piece {
   public:
    Piece() = default;

   private:
    friend class PreparedContent;
    static void release(PlatformTextPiece* piece);
    std::unique_ptr<PlatformTextPiece, void (*)(PlatformTextPiece*)> piece_{nullptr, release};
  };

  // Adds text (GBK, "\r\n" breaks) at the end of the content; a content may be filled in
  // pieces, each but the last ending after a line break. Nothing for a control without
  // content. One thread at a time.
  void append(std::string_view text);
  // The same in two steps, so that the heavy part runs on another thread than the adding
  // one: prepare makes text ready on its thread, one at a time and in the order the pieces are
  // to be added, also while another thread adds the earlier ones; append(Piece) adds them in
  // that order. Not mixed with append(text) while pieces are being made.
  Piece prepare(std::string_view text);
  void append(Piece piece);

 private:
  friend PreparedContent prepareContent(uint32_t windowId, uint32_t controlId);
  friend struct PreparedWrite;
  static void release(PlatformText* text);

  uint32_t windowId_ = 0;
  uint32_t controlId_ = 0;
  std::unique_ptr<PlatformText, void (*)(PlatformText*)> text_{nullptr, release};  // null: no content
};

// Starts an empty content for the control, in the box's look (read on the main thread). A
// window that is not loaded or destroyed ends the program, as a write does; a control without
// content is prepared to do nothing.
PreparedContent prepareContent(uint32_t windowId, uint32_t controlId);
// The same, holding text (null reads as "").
PreparedContent prepareContent(uint32_t windowId, uint32_t controlId, const char* text);

// Main thread only: writes what prepareContent made, as writeControlProperty writes content
// (the window is looked for again, and ends the program if it is gone). Writes it once.
void writePreparedContent(PreparedContent& content);

// Typed forms of the two operations.
inline TextValue readContent(uint32_t windowId, uint32_t controlId) {
  return std::move(readControlProperty(windowId, controlId, property::kContent).text);
}
inline int32_t readChecked(uint32_t windowId, uint32_t controlId) {
  return readControlProperty(windowId, controlId, property::kChecked).number;
}
inline void writeContent(uint32_t windowId, uint32_t controlId, const char* text) {
  writeControlProperty(windowId, controlId, property::kContent, PropertyInput{text, 0});
}
inline void writeChecked(uint32_t windowId, uint32_t controlId, int32_t checked) {
  writeControlProperty(windowId, controlId, property::kChecked, PropertyInput{nullptr, checked});
}
