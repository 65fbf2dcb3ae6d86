// GBK <-> UTF-16 over iconv. ASCII runs are copied without iconv, since most of what crosses
// (script expressions, member paths) is ASCII, and GBK's two-byte characters come from tables
// iconv fills (one way once, the other a character at a time as characters are first met);
// what is left (broken bytes, surrogates) goes through one descriptor per thread and
// direction, and every sequence iconv refuses is replaced and stepped over.
#include <errno.h>
#include <iconv.h>

#include <atomic>
#include <bit>
#include <cstdint>

#include "platform/code_page.h"
#include "platform/shared/ascii_runs.h"

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

// Whether a lead byte and a byte that can trail it start at `at`: one character of two bytes.
bool startsPair(std::string_view bytes, size_t at) {
  return at + 1 < bytes.size() && isGbkLeadByte(static_cast<unsigned char>(bytes[at])) &&
         isGbkTrailByte(static_cast<unsigned char>(bytes[at + 1]));
}

// GBK's two-byte characters, each as iconv converts it alone, made once per process: a table's
// stretches of Chinese are a few characters each, and iconv's cost is mostly per call. GBK has
// no state, so a stretch converts to what its pairs convert to one by one; a pair iconv
// refuses is the replacement, as below. A pair iconv neither converts to one unit nor refuses
// outright is left to iconv, with the rest of its stretch.
class PairTable {
 public:
  static constexpr char16_t kUnsure = 0;  // no pair converts to U+0000

  PairTable() {
    Converter converter(kWide, kAnsi);
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
      for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
        char16_t& unit = units_[lead - kFirstLead][trail - kFirstTrail];
        unit = kUnsure;
        if (!converter.usable() || !isGbkTrailByte(static_cast<unsigned char>(trail))) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char* in = pair;
        size_t inLeft = sizeof pair;
        char16_t converted[2] = {};
        char* outAt = reinterpret_cast<char*>(converted);
        size_t outLeft = sizeof converted;
        const int failure = converter.convert(in, inLeft, outAt, outLeft);
        if (failure == 0 && outLeft == sizeof(char16_t) && converted[0] != kUnsure) {
          unit = converted[0];
        } else if (failure == EILSEQ && inLeft == sizeof pair) {
          unit = kReplacement;
        }
      }
    }
  }

  // The unit of the pair at `bytes`, which startsPair has found there; kUnsure if iconv must say.
  char16_t unitOf(const char* bytes) const {
    return units_[static_cast<unsigned char>(bytes[0]) - kFirstLead][static_cast<unsigned char>(bytes[1]) - kFirstTrail];
  }

 private:
  static constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE, kFirstTrail = 0x40, kLastTrail = 0xFE;
  char16_t units_[kLastLead - kFirstLead + 1][kLastTrail - kFirstTrail + 1];
};

const PairTable& pairTable() {
  static const PairTable table;
  return table;
}

void convertToUtf16(std::string_view ansi, std::u16string* wide) {
  // Every GBK character is one or two bytes and one UTF-16 unit, so bytes bound the units.
  wide->resize(ansi.size());
  char16_t* const out = wide->data();
  // A text that is all ASCII, as most are, is done before the tables and the descriptor are
  // even looked at.
  size_t at = asciiRuns::widen(ansi, out);
  if (at == ansi.size()) return;
  size_t written = at;
  thread_local Converter converter(kWide, kAnsi);
  const PairTable& pairs = pairTable();
  while (at < ansi.size()) {
    const size_t run = asciiRuns::widen(ansi.substr(at), out + written);
    at += run;
    written += run;
    for (char16_t unit; startsPair(ansi, at) && (unit = pairs.unitOf(ansi.data() + at)) != PairTable::kUnsure; at += 2) {
      out[written++] = unit;
    }
    // The characters up to the next ASCII one go to iconv together; a trail byte may be in
    // ASCII's range, so the stretch steps over whole pairs.
    size_t end = at;
    while (end < ansi.size() && static_cast<unsigned char>(ansi[end]) >= 0x80) end += startsPair(ansi, end) ? 2 : 1;
    while (at < end) {
      int failure = EILSEQ;
      if (converter.usable()) {
        const char* in = ansi.data() + at;
        size_t inLeft = end - at;
        char* converted = reinterpret_cast<char*>(out + written);
        size_t outLeft = (ansi.size() - written) * sizeof(char16_t);
        failure = converter.convert(in, inLeft, converted, outLeft);
        written = static_cast<size_t>(reinterpret_cast<char16_t*>(converted) - out);
        at = static_cast<size_t>(in - ansi.data());
        if (failure == 0) break;
      }
      // A refused sequence: an unmapped lead/trail pair is one character, anything else one byte.
      out[written++] = kReplacement;
      at += (failure == EILSEQ && startsPair(ansi.substr(0, end), at)) ? 2 : 1;
    }
  }
  wide->resize(written);
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The GBK bytes of each UTF-16 unit, each as iconv converts the unit alone, asked the first
// time the unit is met (a paste of Chinese is mostly a few thousand characters, each many
// times). Any thread may fill an entry; they all fill it with the same value.
class UnitTable {
 public:
  static constexpr uint16_t kRefused = 1;  // iconv has no GBK for it: "?"
  static constexpr uint16_t kUnsure = 2;   // not one pair: left to iconv with its stretch

  // Lead byte over trail byte, or one of the two above; converter converts from UTF-16.
  uint16_t bytesOf(char16_t unit, Converter& converter) {
    std::atomic<uint16_t>& entry = bytes_[unit];
    uint16_t bytes = entry.load(std::memory_order_relaxed);
    if (bytes == kUnasked) {
      bytes = ask(unit, converter);
      entry.store(bytes, std::memory_order_relaxed);
    }
    return bytes;
  }

 private:
  static constexpr uint16_t kUnasked = 0;

  static uint16_t ask(char16_t unit, Converter& converter) {
    // A surrogate's meaning depends on its neighbour, so it is never looked up alone.
    if (!converter.usable() || isHighSurrogate(unit) || isLowSurrogate(unit)) return kUnsure;
    const char* in = reinterpret_cast<const char*>(&unit);
    size_t inLeft = sizeof unit;
    unsigned char converted[4] = {};
    char* outAt = reinterpret_cast<char*>(converted);
    size_t outLeft = sizeof converted;
    const int failure = converter.convert(in, inLeft, outAt, outLeft);
    if (failure == 0 && outLeft == sizeof converted - 2 && converted[0] >= 0x80) {
      return static_cast<uint16_t>(converted[0] << 8 | converted[1]);
    }
    if (failure == EILSEQ && inLeft == sizeof unit) return kRefused;
    return kUnsure;
  }

  std::atomic<uint16_t> bytes_[0x10000] = {};
};

UnitTable& unitTable() {
  static UnitTable table;
  return table;
}

void convertToAnsi(std::u16string_view wide, std::string* ansi) {
  // At most two bytes per unit; a replaced pair shrinks to one "?".
  ansi->resize(wide.size() * 2);
  char* const out = ansi->data();
  size_t at = asciiRuns::narrow(wide, out);
  if (at == wide.size()) {
    ansi->resize(at);
    return;
  }
  size_t written = at;
  thread_local Converter converter(kAnsi, kWide);
  UnitTable& units = unitTable();
  while (at < wide.size()) {
    const size_t run = asciiRuns::narrow(wide.substr(at), out + written);
    at += run;
    written += run;
    for (; at < wide.size() && wide[at] >= 0x80; ++at) {
      const uint16_t bytes = units.bytesOf(wide[at], converter);
      if (bytes == UnitTable::kUnsure) break;
      if (bytes == UnitTable::kRefused) {
        out[written++] = '?';
      } else {
        out[written++] = static_cast<char>(bytes >> 8);
        out[written++] = static_cast<char>(bytes & 0xFF);
      }
    }
    size_t end = at;
    while (end < wide.size() && wide[end] >= 0x80) ++end;
    while (at < end) {
      int failure = EILSEQ;
      if (converter.usable()) {
        const char* in = reinterpret_cast<const char*>(wide.data() + at);
        size_t inLeft = (end - at) * sizeof(char16_t);
        char* converted = out + written;
        size_t outLeft = ansi->size() - written;
        failure = converter.convert(in, inLeft, converted, outLeft);
        written = static_cast<size_t>(converted - out);
        at = static_cast<size_t>(reinterpret_cast<const char16_t*>(in) - wide.data());
        if (failure == 0) break;
      }
      out[written++] = '?';
      const bool pair = at + 1 < end && isHighSurrogate(wide[at]) && isLowSurrogate(wide[at + 1]);
      at += pair ? 2 : 1;
    }
  }
  ansi->resize(written);
}

const CodePage kIconvCodePage{.convertToUtf16 = convertToUtf16, .convertToAnsi = convertToAnsi};

}  // namespace

const CodePage& platformCodePage() { return kIconvCodePage; }
