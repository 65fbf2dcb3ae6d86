// UTF-16 <-> the interpreter's UTF-8, written out because it runs on every evaluation, both
// ways. Most texts are ASCII, which copies unit for unit; every output is sized once, in a
// buffer the caller reuses.
#include "platform/mujs/script_text.h"

#include "platform/shared/ascii_runs.h"

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

void encodeScriptText(std::u16string_view text, std::string* out) {
  // The leading ASCII is narrowed unit for unit; the rest, from the first unit that is not
  // ASCII or is U+0000 (where the text ends for the interpreter), is measured and encoded.
  out->resize(text.size());
  const size_t ascii = asciiRuns::narrow(text, out->data(), true);
  if (ascii == text.size()) return;
  size_t length = ascii;
  size_t units = ascii;
  for (; units < text.size() && text[units] != 0; ++units) {
    const char16_t unit = text[units];
    length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
  }
  out->resize(length);
  char* at = out->data() + ascii;
  for (size_t i = ascii; i < units; ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      *at++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
      *at++ = static_cast<char>(0xC0 | (unit >> 6));
      *at++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      *at++ = static_cast<char>(0xE0 | (unit >> 12));
      *at++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      *at++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
}

void decodeScriptText(std::string_view bytes, std::u16string* out) {
  // Never more units than bytes.
  out->resize(bytes.size());
  char16_t* written = out->data();
  size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      const size_t run = asciiRuns::widen(bytes.substr(at), written);
      written += run;
      at += run;
      continue;
    }
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    bool wellFormed = length != 0 && lead < 0xF8 && at + length <= bytes.size();
    for (size_t i = 1; wellFormed && i < length; ++i) {
      wellFormed = isContinuation(static_cast<unsigned char>(bytes[at + i]));
    }
    if (!wellFormed) {
      *written++ = kReplacement;
      ++at;
      continue;
    }
    char32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
    at += length;
    if (code >= 0x10000 && code <= 0x10FFFF) {
      code -= 0x10000;
      *written++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *written++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else if (code > 0x10FFFF) {
      *written++ = kReplacement;
    } else {
      *written++ = static_cast<char16_t>(code);
    }
  }
  out->resize(static_cast<size_t>(written - out->data()));
}
