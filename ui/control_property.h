// The only way the program touches its controls: by window id, control id and property
// number, from any thread. A worker's access is carried to the main thread and waits for it.
// A window that is not loaded or already destroyed is a fatal error, as the program only
// meets one when a run outlives the window.
#pragma once

#include <cstdint>
#include <utility>

#include "runtime/text_value.h"

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
// breaks "\r\n". checked: 1 or 0. An unknown control or property reads as zero values.
PropertyValue readControlProperty(uint32_t windowId, uint32_t controlId, int32_t property);

// Writes the control: content shows a copy of text as the box's whole text ("\r\n" breaks);
// checked sets the check. An unknown control or property is ignored.
void writeControlProperty(uint32_t windowId, uint32_t controlId, int32_t property, PropertyInput value);

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
