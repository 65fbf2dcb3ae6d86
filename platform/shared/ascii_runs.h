// Copying a run of ASCII between byte texts and UTF-16, many units at a time. Nearly everything the
// program converts (script texts, member paths, the table's frame) is ASCII, so each converter
// copies the run up to the first other unit this way and leaves only the rest to slower code.
// Private to platform/.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace asciiRuns {

// The end of a run within the fewer than sixteen units left from `at` of a text of `size`:
// eight and then four at a time, the last group of each size laid over the end of the text,
// where it copies units again that were copied already. eight(from) and four(from) copy a group
// and answer a bit for each of its units that ends the run (none for those before `at`).
// Answers the run's end or, in a text of fewer than four units, where a walk unit by unit goes
// on; a unit that ends the run ends that walk at once, so the caller walks on from here either way.
template <class Eight, class Four>
size_t shortRunEnd(size_t at, size_t size, Eight eight, Four four) {
  const auto endIn = [](size_t from, unsigned stops) { return from + static_cast<size_t>(std::countr_zero(stops)); };
  if (size - at >= 8) {
    if (const unsigned stops = eight(at); stops != 0) return endIn(at, stops);
    at += 8;
  }
  if (at == size) return at;
  if (size >= 8) {
    const unsigned stops = eight(size - 8);
    return stops != 0 ? endIn(size - 8, stops) : size;
  }
  if (size - at >= 4) {
    if (const unsigned stops = four(at); stops != 0) return endIn(at, stops);
    at += 4;
  }
  if (at == size) return at;
  if (size >= 4) {
    const unsigned stops = four(size - 4);
    return stops != 0 ? endIn(size - 4, stops) : size;
  }
  return at;
}

// Copies bytes to out (room for bytes.size() units) as UTF-16 up to the first byte of 0x80 or
// above; answers how many were copied. Units after those may be overwritten.
inline size_t widen(std::string_view bytes, char16_t* out) {
  size_t at = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time, interleaved with zeros; the compiler makes no such loop of the
  // portable one below at the optimisation the program is built with. A chunk with another
  // byte in it is written whole and the run ends at that byte: a table's runs are short.
  const __m128i zero = _mm_setzero_si128();
  for (; bytes.size() - at >= 16; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + 8), _mm_unpackhi_epi8(chunk, zero));
    const unsigned others = static_cast<unsigned>(_mm_movemask_epi8(chunk));
    if (others != 0) return at + static_cast<size_t>(std::countr_zero(others));
  }
  // Fewer than sixteen left, which is the whole of most texts (member names, short
  // expressions): eight and then four at a time, the last group of each size laid over the end
  // of the text, so that it overlaps bytes already copied (ASCII, written again the same).
  const size_t size = bytes.size();
  auto widenEight = [&](size_t from) {
    const __m128i chunk = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes.data() + from));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + from), _mm_unpacklo_epi8(chunk, zero));
    return static_cast<unsigned>(_mm_movemask_epi8(chunk)) & 0xFFu;
  };
  auto widenFour = [&](size_t from) {
    int32_t word;
    std::memcpy(&word, bytes.data() + from, sizeof word);
    const __m128i chunk = _mm_cvtsi32_si128(word);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + from), _mm_unpacklo_epi8(chunk, zero));
    return static_cast<unsigned>(_mm_movemask_epi8(chunk)) & 0xFu;
  };
  at = shortRunEnd(at, size, widenEight, widenFour);
#endif
  for (; bytes.size() - at >= 16; at += 16) {
    // Copied out first: out may alias bytes as far as the compiler knows, and a local copy
    // lets the stores go together.
    unsigned char chunk[16];
    std::memcpy(chunk, bytes.data() + at, sizeof chunk);
    uint64_t words[2];
    std::memcpy(words, chunk, sizeof words);
    if (((words[0] | words[1]) & 0x8080808080808080u) != 0) break;
    char16_t wide[16];
    for (size_t i = 0; i < 16; ++i) wide[i] = chunk[i];
    std::memcpy(out + at, wide, sizeof wide);
  }
  while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80) {
    out[at] = static_cast<unsigned char>(bytes[at]);
    ++at;
  }
  return at;
}

// Copies units to out (room for units.size() bytes) as bytes up to the first unit that is not
// ASCII or, with stopAtNul, is U+0000; answers how many were copied. Bytes after those may be
// overwritten.
inline size_t narrow(std::u16string_view units, char* out, bool stopAtNul = false) {
  // U+0000 is caught by subtracting one from every unit: it wraps to 0xFFFF, outside ASCII.
  const uint64_t nulBias = stopAtNul ? 0x0001000100010001u : 0;
  const char16_t firstKept = stopAtNul ? 1 : 0;
  size_t at = 0;
#if defined(__SSE2__)
  // Sixteen units at a time, packed into sixteen bytes; those kept have no bit above the
  // seventh (nor, with stopAtNul, are zero), and the run ends at the first that is not.
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  auto kept = [&](__m128i part) {
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(part, high), zero);
    return stopAtNul ? _mm_andnot_si128(_mm_cmpeq_epi16(part, zero), ascii) : ascii;
  };
  for (; units.size() - at >= 16; at += 16) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units.data() + at));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units.data() + at + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_packus_epi16(first, second));
    // One bit a unit, in order: each lane's all-ones or zero packs to one byte.
    const auto plain = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(kept(first), kept(second))));
    if (plain != 0xFFFF) return at + static_cast<size_t>(std::countr_zero(~plain));
  }
  // Fewer than sixteen left: eight and then four at a time, as widen does; a group answers a
  // bit for each unit not kept.
  const size_t size = units.size();
  auto narrowEight = [&](size_t from) {
    const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units.data() + from));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + from), _mm_packus_epi16(part, part));
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(kept(part), zero))) & 0xFFu;
  };
  auto narrowFour = [&](size_t from) {
    const __m128i part = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(units.data() + from));
    const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(part, part));
    std::memcpy(out + from, &word, sizeof word);
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(kept(part), zero))) & 0xFu;
  };
  at = shortRunEnd(at, size, narrowEight, narrowFour);
#endif
  for (; units.size() - at >= 8; at += 8) {
    char16_t chunk[8];
    std::memcpy(chunk, units.data() + at, sizeof chunk);
    uint64_t words[2];
    std::memcpy(words, chunk, sizeof words);
    // Every unit of a word is below 0x80 exactly when, less the bias, no bit above the
    // seventh is set in any of them; the bias borrows across a unit only from U+0000.
    const uint64_t seen = (words[0] - nulBias) | words[0] | (words[1] - nulBias) | words[1];
    if ((seen & 0xFF80FF80FF80FF80u) != 0) break;
    char narrowed[8];
    for (size_t i = 0; i < 8; ++i) narrowed[i] = static_cast<char>(chunk[i]);
    std::memcpy(out + at, narrowed, sizeof narrowed);
  }
  while (at < units.size() && units[at] < 0x80 && units[at] >= firstKept) {
    out[at] = static_cast<char>(units[at]);
    ++at;
  }
  return at;
}

// How many of the first units, at most `limit`, are printable ASCII (U+0020 to U+007F), four
// at a time; fewer than four left are the caller's to look at.
inline size_t printableUnits(std::u16string_view units, size_t limit) {
  static_assert(std::endian::native == std::endian::little, "the first unit is a word's low bits");
  size_t at = 0;
  for (; units.size() - at >= 4 && limit - at >= 4; at += 4) {
    uint64_t word;
    std::memcpy(&word, units.data() + at, sizeof word);
    // A unit is not printable ASCII when it has a bit above the seventh, or when U+0060 added
    // leaves it below U+0080. Only a unit of the first kind can carry into the next one, so
    // the lowest unit marked is the first that is not.
    constexpr uint64_t kHigh = 0xFF80FF80FF80FF80u;
    constexpr uint64_t kLift = 0x0060006000600060u;
    constexpr uint64_t kPrintable = 0x0080008000800080u;
    const uint64_t marked = (word & kHigh) | (~(word + kLift) & kPrintable);
    if (marked != 0) return at + static_cast<size_t>(std::countr_zero(marked)) / 16;
  }
  return at;
}

}  // namespace asciiRuns
