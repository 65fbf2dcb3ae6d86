// CESU-8 <-> UTF-16 for the interpreter boundary, written out because it is the hot path of
// every evaluation and needs no tables: most texts are ASCII and copy byte for byte.
#include "platform/duktape/script_text.h"

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

void encodeScriptText(std::u16string_view text, std::string* out) {
  out->clear();
  out->reserve(text.size());
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out->push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (unit >> 6)));
      out->push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xE0 | (unit >> 12)));
      out->push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
}

void decodeScriptText(std::string_view bytes, std::u16string* out) {
  out->clear();
  out->reserve(bytes.size());
  size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      out->push_back(lead);
      ++at;
      continue;
    }
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    bool wellFormed = length != 0 && lead < 0xF8 && at + length <= bytes.size();
    for (size_t i = 1; wellFormed && i < length; ++i) {
      wellFormed = isContinuation(static_cast<unsigned char>(bytes[at + i]));
    }
    if (!wellFormed) {
      out->push_back(kReplacement);
      ++at;
      continue;
    }
    char32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
    at += length;
    if (code >= 0x10000 && code <= 0x10FFFF) {
      code -= 0x10000;
      out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else if (code > 0x10FFFF) {
      out->push_back(kReplacement);
    } else {
      out->push_back(static_cast<char16_t>(code));
    }
  }
}
