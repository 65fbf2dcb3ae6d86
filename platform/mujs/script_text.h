// The interpreter holds strings as CESU-8 (each UTF-16 unit encoded on its own), so texts
// cross between it and the object layer's UTF-16 one unit at a time, surrogates included.
#pragma once

#include <string>
#include <string_view>

// Replaces *out with `text` encoded unit by unit (a surrogate is three bytes of its own).
void encodeScriptText(std::u16string_view text, std::string* out);

// Replaces *out with the UTF-16 units of `bytes`; a four-byte sequence becomes a surrogate
// pair and a malformed byte U+FFFD.
void decodeScriptText(std::string_view bytes, std::u16string* out);
