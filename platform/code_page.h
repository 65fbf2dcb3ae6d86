// The ANSI code page (GBK, fixed) and its conversion to and from UTF-16, the one place where
// the program's byte texts meet the toolkit's and the script engine's wide strings.
// Both directions accept any input.
#pragma once

#include <string>
#include <string_view>

struct CodePage {
  // Converts GBK bytes to UTF-16, replacing what *wide held (its room is reused, so a caller
  // converting many short texts keeps one buffer). An invalid or truncated sequence becomes
  // U+FFFD and the rest still converts; embedded NULs pass through.
  void (*convertToUtf16)(std::string_view ansi, std::u16string* wide);
  // Converts UTF-16 to GBK bytes, replacing what *ansi held. A character GBK lacks, and a
  // lone surrogate, becomes "?".
  void (*convertToAnsi)(std::u16string_view utf16, std::string* ansi);

  // The same conversions into new strings.
  std::u16string toUtf16(std::string_view ansi) const {
    std::u16string wide;
    convertToUtf16(ansi, &wide);
    return wide;
  }
  std::string toAnsi(std::u16string_view utf16) const {
    std::string ansi;
    convertToAnsi(utf16, &ansi);
    return ansi;
  }
};

// The backend chosen at build time.
const CodePage& platformCodePage();

// GBK's byte classes, the one statement of them: a lead byte (0x81 to 0xFE) starts a two-byte
// character and a trail byte (0x40 to 0x7E, 0x80 to 0xFE) can end one. 0x80 on its own is
// the euro sign, a character of one byte.
inline bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
inline bool isGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }
