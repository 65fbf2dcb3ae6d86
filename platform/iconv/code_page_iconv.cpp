// GBK <-> UTF-16 over iconv. ASCII runs are copied without iconv, since most of what crosses
// (script expressions, member paths) is ASCII; the rest goes through one descriptor per
// thread and direction, and every sequence iconv refuses is replaced and stepped over.
#include <errno.h>
#include <iconv.h>

#include <bit>
#include <cstdint>

#include "platform/code_page.h"

namespace {

constexpr const char* kAnsi = "GBK";
constexpr const char* kWide = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = u'\uFFFD';

// One open descriptor per thread and direction: iconv_t carries state and is not shared.
class Converter {
 public:
  Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
  ~Converter() {
    if (usable()) iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool usable() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as iconv accepts; returns 0 when all input was consumed, else errno.
  int convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(descriptor_, const_cast<char**>(&in), &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) {
      return 0;
    }
    return errno;
  }

 private:
  iconv_t descriptor_;
};

std::u16string toUtf16(std::string_view ansi) {
  // Every GBK character is one or two bytes and one UTF-16 unit, so bytes bound the units.
  std::u16string wide(ansi.size(), u'\0');
  size_t written = 0;
  size_t at = 0;
  thread_local Converter converter(kWide, kAnsi);
  while (at < ansi.size()) {
    const auto byte = static_cast<unsigned char>(ansi[at]);
    if (byte < 0x80) {
      wide[written++] = byte;
      ++at;
      continue;
    }
    if (!converter.usable()) {
      wide[written++] = kReplacement;
      at += (at + 1 < ansi.size() && isGbkLeadByte(byte)) ? 2 : 1;
      continue;
    }
    const char* in = ansi.data() + at;
    size_t inLeft = ansi.size() - at;
    char* out = reinterpret_cast<char*>(wide.data() + written);
    size_t outLeft = (wide.size() - written) * sizeof(char16_t);
    const int failure = converter.convert(in, inLeft, out, outLeft);
    written = static_cast<size_t>(reinterpret_cast<char16_t*>(out) - wide.data());
    at = static_cast<size_t>(in - ansi.data());
    if (failure == 0) break;
    // A refused sequence: an unmapped lead/trail pair is one character, anything else one byte.
    wide[written++] = kReplacement;
    const bool pair = at + 1 < ansi.size() && isGbkLeadByte(static_cast<unsigned char>(ansi[at])) &&
                      isGbkTrailByte(static_cast<unsigned char>(ansi[at + 1]));
    at += (failure == EILSEQ && pair) ? 2 : 1;
  }
  wide.resize(written);
  return wide;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string toAnsi(std::u16string_view wide) {
  // At most two bytes per unit; a replaced pair shrinks to one "?".
  std::string ansi(wide.size() * 2, '\0');
  size_t written = 0;
  size_t at = 0;
  thread_local Converter converter(kAnsi, kWide);
  while (at < wide.size()) {
    const char16_t unit = wide[at];
    if (unit < 0x80) {
      ansi[written++] = static_cast<char>(unit);
      ++at;
      continue;
    }
    int failure = EILSEQ;
    if (converter.usable()) {
      const char* in = reinterpret_cast<const char*>(wide.data() + at);
      size_t inLeft = (wide.size() - at) * sizeof(char16_t);
      char* out = ansi.data() + written;
      size_t outLeft = ansi.size() - written;
      failure = converter.convert(in, inLeft, out, outLeft);
      written = static_cast<size_t>(out - ansi.data());
      at = static_cast<size_t>(reinterpret_cast<const char16_t*>(in) - wide.data());
      if (failure == 0) break;
    }
    ansi[written++] = '?';
    const bool pair = at + 1 < wide.size() && isHighSurrogate(wide[at]) && isLowSurrogate(wide[at + 1]);
    at += pair ? 2 : 1;
  }
  ansi.resize(written);
  return ansi;
}

const CodePage kIconvCodePage{toUtf16, toAnsi};

}  // namespace

const CodePage& platformCodePage() { return kIconvCodePage; }
