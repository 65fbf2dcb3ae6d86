// The one walk that cuts a text into fields, as splitText cuts it, for callers that need only
// each field's place and length: splitText makes its texts from it, and the table's passes
// take the cells' lengths from it without making a text per cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/text_commands.h"

// Texts shorter than this are walked byte by byte: a line's cells are a few bytes each, and a
// search for each would cost more than the walk over them; a whole paste's lines are searched.
constexpr std::size_t kSearchedTextLength = 256;

// True when no byte of the separator can begin a two-byte character.
inline bool holdsNoLeadByte(const char* separator, std::size_t length) {
  for (std::size_t k = 0; k < length; ++k) {
    if (isLeadByte(separator[k])) return false;
  }
  return true;
}

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
  if (textLength >= kSearchedTextLength && holdsNoLeadByte(separator, separatorLength)) {
    // The walk further on reaches a place exactly when an even number of lead bytes stands just
    // before it: the byte before those is one it reaches, or the trail of one it reached, and
    // from there on it goes two bytes at a time. A separator with no lead byte cannot hide
    // inside such a run, so the text can be searched for it and each place found checked so.
    for (std::size_t from = 0; textLength - from >= separatorLength;) {
      const void* found = std::memchr(text + from, separator[0], textLength - separatorLength + 1 - from);
      if (found == nullptr) break;
      const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text);
      std::size_t leads = 0;
      while (leads < at && isLeadByte(text[at - 1 - leads])) ++leads;
      if (leads % 2 != 0 || std::memcmp(text + at + 1, separator + 1, separatorLength - 1) != 0) {
        from = at + 1;
        continue;
      }
      field(text + fieldStart, at - fieldStart);
      from = fieldStart = at + separatorLength;
      if (limit > 0 && --limit == 0) return;
    }
  } else {
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
  }
  if (fieldStart < textLength) field(text + fieldStart, textLength - fieldStart);
}
