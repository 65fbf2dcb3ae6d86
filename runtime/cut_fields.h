// The one walk that cuts a text into fields, as splitText cuts it, for callers that need only
// each field's place and length: splitText makes its texts from it, and the table's passes
// take the cells' lengths from it without making a text per cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/text_commands.h"

// Calls field(begin, length) for each field splitText(text, separator) gives, in order; at
// most `limit` of them when limit is not negative. A null text or separator reads as "".
template <class Field>
void cutFields(const char* text, const char* separator, Field&& field, int32_t limit = -1) {
  if (text == nullptr) text = "";
  if (separator == nullptr) separator = "";
  const std::size_t textLength = std::strlen(text);
  const std::size_t separatorLength = std::strlen(separator);
  if (textLength == 0 || limit == 0) return;
  if (separatorLength == 0) {
    field(text, textLength);
    return;
  }
  std::size_t fieldStart = 0;
  std::size_t at = 0;
  while (textLength - at >= separatorLength) {
    // The first byte decides most places without a call.
    if (text[at] == separator[0] &&
        (separatorLength == 1 || std::memcmp(text + at + 1, separator + 1, separatorLength - 1) == 0)) {
      field(text + fieldStart, at - fieldStart);
      at += separatorLength;
      fieldStart = at;
      if (limit > 0 && --limit == 0) return;
    } else if (isLeadByte(text[at])) {
      if (text[at + 1] == '\0') break;
      at += 2;
    } else {
      at += 1;
    }
  }
  if (fieldStart < textLength) field(text + fieldStart, textLength - fieldStart);
}
