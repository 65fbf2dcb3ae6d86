// The interpreter holds strings as UTF-8 in which each UTF-16 unit it made stands alone (a
// surrogate is three bytes of its own) and U+0000 is the two bytes C0 80, so texts cross
// between it and the object layer's UTF-16 one unit at a time.
#pragma once

#include <string>
#include <string_view>

// Replaces *out with `text` encoded unit by unit (a surrogate is three bytes of its own).
// A U+0000 ends the text, as it would end the interpreter's C string anyway.
void encodeScriptText(std::u16string_view text, std::string* out);

// Replaces *out with the UTF-16 units of `bytes`; C0 80 becomes U+0000, a four-byte
// sequence a surrogate pair, and a malformed byte U+FFFD.
void decodeScriptText(std::string_view bytes, std::u16string* out);
