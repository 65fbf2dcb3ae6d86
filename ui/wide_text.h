// The program's GBK byte texts as the window system's UTF-16 and back, through the
// platform's code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "runtime/text_value.h"

// UTF-16 of a GBK text; null reads as "".
inline std::u16string toWide(const char* text) {
  return platformCodePage().toUtf16(text != nullptr ? text : "");
}

// A new GBK TextValue, or null for an empty text; what GBK lacks becomes "?".
inline TextValue toTextValue(std::u16string_view text) {
  return TextValue::copyOf(platformCodePage().toAnsi(text));
}
