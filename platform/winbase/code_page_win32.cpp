// The ANSI code page (936 on a Chinese system) and UTF-16 over MultiByteToWideChar and
// WideCharToMultiByte. The system calls alone do not keep our contract: given broken bytes
// they substitute the code page's own default character, and given a character the code page
// lacks they pick a "best fit" look-alike. So whole texts go through in one call when they are
// clean, and only a text that fails is walked character by character.
#include <windows.h>

#include "platform/code_page.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Converts bytes that must all be valid into out; the number of units written, 0 when any
// byte sequence is invalid or unmapped.
int convertStrict(const char* bytes, int count, wchar_t* out, int room) {
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, count, out, room);
}

void convertToUtf16(std::string_view ansi, std::u16string* wide) {
  // Every ANSI character is one or two bytes and becomes one UTF-16 unit.
  wide->resize(ansi.size());
  if (ansi.empty()) return;
  auto* const out = reinterpret_cast<wchar_t*>(wide->data());
  const int whole = convertStrict(ansi.data(), static_cast<int>(ansi.size()), out, static_cast<int>(ansi.size()));
  if (whole > 0) {
    wide->resize(static_cast<size_t>(whole));
    return;
  }

  size_t written = 0;
  size_t at = 0;
  while (at < ansi.size()) {
    const auto byte = static_cast<unsigned char>(ansi[at]);
    if (byte < 0x80) {
      out[written++] = byte;
      ++at;
      continue;
    }
    const bool lead = IsDBCSLeadByte(byte) != 0;
    const size_t length = lead && at + 1 < ansi.size() ? 2 : 1;
    wchar_t unit = 0;
    if ((!lead || length == 2) && convertStrict(ansi.data() + at, static_cast<int>(length), &unit, 1) == 1) {
      out[written++] = unit;
      at += length;
      continue;
    }
    // An unmapped lead/trail pair is one broken character; a lead byte before a byte that
    // cannot trail it is broken alone, and the next byte is read afresh.
    out[written++] = kReplacement;
    at += length == 2 && isGbkTrailByte(static_cast<unsigned char>(ansi[at + 1])) ? 2 : 1;
  }
  wide->resize(written);
}

bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends the ANSI form of units holding no surrogate; what the code page lacks becomes "?".
void appendAnsi(std::u16string_view units, std::string& out) {
  if (units.empty()) return;
  const size_t start = out.size();
  out.resize(start + units.size() * 2);  // at most two bytes a unit
  const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS,
                                          reinterpret_cast<const wchar_t*>(units.data()),
                                          static_cast<int>(units.size()), out.data() + start,
                                          static_cast<int>(units.size() * 2), "?", nullptr);
  out.resize(start + static_cast<size_t>(written > 0 ? written : 0));
}

void convertToAnsi(std::u16string_view wide, std::string* out) {
  // No ANSI code page has characters beyond the BMP: a surrogate pair, or a lone surrogate,
  // is one "?". The runs between them convert in one call each.
  std::string& ansi = *out;
  ansi.clear();
  size_t runStart = 0;
  size_t at = 0;
  while (at < wide.size()) {
    if (!isSurrogate(wide[at])) {
      ++at;
      continue;
    }
    appendAnsi(wide.substr(runStart, at - runStart), ansi);
    ansi += '?';
    const bool pair = at + 1 < wide.size() && isHighSurrogate(wide[at]) && isLowSurrogate(wide[at + 1]);
    at += pair ? 2 : 1;
    runStart = at;
  }
  appendAnsi(wide.substr(runStart), ansi);
}

const CodePage kWin32CodePage{.convertToUtf16 = convertToUtf16, .convertToAnsi = convertToAnsi};

}  // namespace

const CodePage& platformCodePage() { return kWin32CodePage; }
