// The program's GBK byte texts as the window system's UTF-16 captions, through the
// platform's code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"

// UTF-16 of a GBK text; null reads as "".
inline std::u16string toWide(const char* text) {
  return platformCodePage().toUtf16(text != nullptr ? text : "");
}
