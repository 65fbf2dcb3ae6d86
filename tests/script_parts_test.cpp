// The parts of our script control over mujs, each on its own: the cache of compiled shapes
// (sets, eviction, the next-text prediction, exact texts), the interpreter's heap, the text
// encoding between UTF-16 and the interpreter's, and the reading of its error messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mujs/script_cache.h"
#include "platform/mujs/script_error.h"
#include "platform/mujs/script_heap.h"
#include "platform/mujs/script_text.h"
#include "platform/shared/ascii_runs.h"

namespace {

constexpr int kSets = ScriptCache::kSlots / ScriptCache::kWays;

int setOf(const std::string& shape) { return static_cast<int>(std::hash<std::string_view>{}(shape) % kSets); }

// `count` distinct shapes that all fall into one set.
std::vector<std::string> shapesInOneSet(int count) {
  std::vector<std::string> shapes;
  const int set = setOf("shape 0");
  for (int i = 0; static_cast<int>(shapes.size()) < count; ++i) {
    std::string shape = "shape " + std::to_string(i);
    if (setOf(shape) == set) shapes.push_back(shape);
  }
  return shapes;
}

int keep(ScriptCache& cache, const std::string& shape) {
  const ScriptCache::Lookup lookup = cache.find(shape);
  return lookup.slot >= 0 ? lookup.slot : cache.claim(lookup, shape);
}

TEST(ScriptCacheShapes, ASetKeepsItsMostRecentlyUsedShapes) {
  ScriptCache cache;
  const std::vector<std::string> shapes = shapesInOneSet(ScriptCache::kWays + 2);
  std::vector<int> slots;
  for (int i = 0; i < ScriptCache::kWays; ++i) slots.push_back(keep(cache, shapes[i]));
  // Four shapes of one set take its four slots, and each is found again in its own.
  for (int i = 0; i < ScriptCache::kWays; ++i) {
    EXPECT_EQ(cache.find(shapes[i]).slot, slots[i]) << shapes[i];
    for (int j = 0; j < i; ++j) EXPECT_NE(slots[i], slots[j]);
  }
  // Using the first again makes the second the least recently used: a fifth shape takes its slot.
  cache.find(shapes[0]);
  const int fifth = keep(cache, shapes[4]);
  EXPECT_EQ(fifth, slots[1]);
  EXPECT_EQ(cache.find(shapes[1]).slot, -1);
  EXPECT_EQ(cache.find(shapes[0]).slot, slots[0]);
  // Shapes of other sets never displace this set's.
  for (int i = 0; i < 3 * ScriptCache::kSlots; ++i) {
    const std::string other = "other " + std::to_string(i);
    if (setOf(other) != setOf(shapes[0])) keep(cache, other);
  }
  EXPECT_EQ(cache.find(shapes[0]).slot, slots[0]);
  EXPECT_EQ(cache.find(shapes[4]).slot, fifth);
}

TEST(ScriptCacheShapes, TooLongShapesGetNoSlot) {
  ScriptCache cache;
  const std::string longShape(ScriptCache::kLongestShape + 1, 'x');
  EXPECT_EQ(cache.claim(cache.find(longShape), longShape), -1);
  EXPECT_EQ(cache.find(longShape).slot, -1);
  const std::string longest(ScriptCache::kLongestShape, 'x');
  EXPECT_GE(cache.claim(cache.find(longest), longest), 0);
}

TEST(ScriptCacheSources, AnExactTextFindsTheSlotHoldingItsLiterals) {
  ScriptCache cache;
  const int slot = keep(cache, "s");
  size_t hash = 0;
  EXPECT_EQ(cache.findSource(u"da.row = '1'", &hash), -1);
  cache.noteSource(slot, u"da.row = '1'", hash);
  EXPECT_EQ(cache.findSource(u"da.row = '1'", &hash), slot);
  // The slot now holds another text's literals: the first is no longer there.
  size_t second = 0;
  cache.findSource(u"da.row = '2'", &second);
  cache.noteSource(slot, u"da.row = '2'", second);
  EXPECT_EQ(cache.findSource(u"da.row = '1'", &hash), -1);
  EXPECT_EQ(cache.findSource(u"da.row = '2'", &second), slot);
  EXPECT_TRUE(cache.holdsSource(slot, u"da.row = '2'"));
  EXPECT_FALSE(cache.holdsSource(slot, u"da.row = '1'"));
  // Noted without its hash, a text is held but not found by its text.
  cache.noteSource(slot, u"da.row = '3'", std::nullopt);
  EXPECT_TRUE(cache.holdsSource(slot, u"da.row = '3'"));
  EXPECT_EQ(cache.findSource(u"da.row = '3'", &hash), -1);
  EXPECT_EQ(cache.findSource(u"da.row = '2'", &second), -1) << "the slot no longer holds it";
  // A slot given to another shape forgets its text.
  const std::vector<std::string> shapes = shapesInOneSet(ScriptCache::kWays + 1);
  ScriptCache full;
  const int first = keep(full, shapes[0]);
  full.findSource(u"text", &hash);
  full.noteSource(first, u"text", hash);
  for (int i = 1; i <= ScriptCache::kWays; ++i) keep(full, shapes[i]);
  EXPECT_EQ(full.find(shapes[0]).slot, -1);
  EXPECT_EQ(full.findSource(u"text", &hash), -1);
  EXPECT_FALSE(full.holdsSource(first, u"text"));
}

TEST(ScriptCachePrediction, TheSlotThatRanNextLastTime) {
  ScriptCache cache;
  EXPECT_EQ(cache.predicted(), -1);
  const int a = keep(cache, "a"), b = keep(cache, "b"), c = keep(cache, "c");
  // One line: a, b, c, a text without a slot; the next line in the same order is foreseen.
  for (int slot : {a, b, c, -1}) cache.ran(slot);
  cache.ran(a);
  EXPECT_EQ(cache.predicted(), b);
  cache.ran(b);
  EXPECT_EQ(cache.predicted(), c);
  cache.ran(c);
  EXPECT_EQ(cache.predicted(), -1);
  // The order changes: the prediction follows what happened last.
  cache.ran(a);
  cache.ran(c);
  cache.ran(a);
  EXPECT_EQ(cache.predicted(), c);
}

TEST(ScriptHeapBlocks, SizesAlignmentAndContentsAcrossResizes) {
  ScriptHeap heap;
  std::vector<void*> blocks;
  for (int size : {1, 15, 16, 17, 100, 512, 513, 5000}) {
    void* block = ScriptHeap::allocate(&heap, nullptr, size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u) << size;
    std::memset(block, size & 0xFF, static_cast<size_t>(size));
    blocks.push_back(block);
  }
  // Small to small, small to large, large to larger, large to small: the bytes kept go along.
  char* text = static_cast<char*>(ScriptHeap::allocate(&heap, nullptr, 10));
  std::memcpy(text, "012345678", 10);
  for (int size : {40, 2000, 9000, 12}) {
    text = static_cast<char*>(ScriptHeap::allocate(&heap, text, size));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "012345678") << size;
  }
  EXPECT_EQ(ScriptHeap::allocate(&heap, text, 0), nullptr);
  // A freed small block is the next one of its size class.
  void* freed = blocks[4];
  ScriptHeap::allocate(&heap, freed, 0);
  EXPECT_EQ(ScriptHeap::allocate(&heap, nullptr, 100), freed);
  // The blocks still hold what was written, untouched by their neighbours.
  EXPECT_EQ(static_cast<unsigned char*>(blocks[3])[16], 17);
  EXPECT_EQ(static_cast<unsigned char*>(blocks[7])[4999], 5000 & 0xFF);
  // Many small blocks take more than one chunk; each stays whole.
  std::vector<int*> many;
  for (int i = 0; i < 50000; ++i) {
    auto* block = static_cast<int*>(ScriptHeap::allocate(&heap, nullptr, 48));
    ASSERT_NE(block, nullptr);
    *block = i;
    many.push_back(block);
  }
  for (int i = 0; i < 50000; i += 997) EXPECT_EQ(*many[i], i);
  for (void* block : blocks) ScriptHeap::allocate(&heap, block, 0);
}

// An interpreter's heap ends with whatever is still in it, large blocks too, moved or not:
// under the leak checker a block left out of its list shows as lost.
TEST(ScriptHeapBlocks, EndsWithEveryBlockStillTaken) {
  auto heap = std::make_unique<ScriptHeap>();
  std::vector<char*> large;
  for (int size : {600, 700, 800, 900}) {
    large.push_back(static_cast<char*>(ScriptHeap::allocate(heap.get(), nullptr, size)));
    ASSERT_NE(large.back(), nullptr);
    std::memset(large.back(), 'a' + static_cast<int>(large.size()), static_cast<size_t>(size));
  }
  // The first, last and a middle one given back; the others grown until the C library moves them.
  ScriptHeap::allocate(heap.get(), large[2], 0);
  for (int size = 1000; size <= 256 * 1024; size *= 4) {
    large[1] = static_cast<char*>(ScriptHeap::allocate(heap.get(), large[1], size));
    large[3] = static_cast<char*>(ScriptHeap::allocate(heap.get(), large[3], size));
    ASSERT_TRUE(large[1] != nullptr && large[3] != nullptr);
    EXPECT_EQ(large[1][599], 'c');
    EXPECT_EQ(large[3][899], 'e');
  }
  ScriptHeap::allocate(heap.get(), large[0], 0);
  ScriptHeap::allocate(heap.get(), large[3], 0);
  for (int i = 0; i < 3; ++i) ScriptHeap::allocate(heap.get(), nullptr, 1000 + i);
  ScriptHeap::allocate(heap.get(), nullptr, 64);
  heap.reset();
}

TEST(ScriptTextEncoding, UnitByUnitBothWays) {
  std::string bytes;
  encodeScriptText(u"plain", &bytes);
  EXPECT_EQ(bytes, "plain");
  encodeScriptText(u"序号é", &bytes);
  EXPECT_EQ(bytes, "\xE5\xBA\x8F\xE5\x8F\xB7\xC3\xA9");
  // A surrogate pair is two three-byte units; U+0000 ends the text.
  encodeScriptText(std::u16string_view(u"a\U0001F600b", 4), &bytes);
  EXPECT_EQ(bytes, "a\xED\xA0\xBD\xED\xB8\x80" "b");
  encodeScriptText(std::u16string_view(u"ab\0cd", 5), &bytes);
  EXPECT_EQ(bytes, "ab");
  // The same past the length copied at a time, and a longer text left in the buffer before.
  encodeScriptText(std::u16string_view(u"0123456789abcdef\0xyz", 20), &bytes);
  EXPECT_EQ(bytes, "0123456789abcdef");
  encodeScriptText(u"0123456789abcdef序", &bytes);
  EXPECT_EQ(bytes, "0123456789abcdef\xE5\xBA\x8F");
  encodeScriptText(u"012345678\u00e9", &bytes);
  EXPECT_EQ(bytes, "012345678\xC3\xA9");

  std::u16string units;
  decodeScriptText("\xE5\xBA\x8F" "x", &units);
  EXPECT_EQ(units, u"序x");
  decodeScriptText("a\xC0\x80z", &units);
  EXPECT_EQ(units, std::u16string(u"a\0z", 3));
  decodeScriptText("\xF0\x9F\x98\x80", &units);
  EXPECT_EQ(units, u"\U0001F600");
  decodeScriptText("\xED\xA0\xBD\xED\xB8\x80", &units);
  EXPECT_EQ(units, u"\U0001F600");
  // Malformed bytes, each its own U+FFFD: a stray continuation, a cut sequence, a byte no
  // UTF-8 has.
  decodeScriptText("\x80" "a\xE5\xBA" "b\xFF", &units);
  EXPECT_EQ(units, u"\uFFFD" "a\uFFFD\uFFFD" "b\uFFFD");
}

// The box's writer steps over printable ASCII four units at a time: any other unit, at any
// place, and the column limit stop it exactly there (short of a last group of four).
TEST(AsciiRuns, PrintableUnitsStopAtAnyOtherUnitAndAtTheLimit) {
  for (char16_t odd = 0; odd < 0x100; ++odd) {
    if (odd >= 0x20 && odd < 0x80) continue;
    for (size_t at = 0; at < 24; ++at) {
      std::u16string text(24, u'x');
      text[at] = odd;
      ASSERT_EQ(asciiRuns::printableUnits(text, 100), at) << int(odd) << " " << at;
    }
  }
  for (char16_t odd : {char16_t{0x100}, char16_t{0x2028}, char16_t{0xFFFF}, char16_t{0xDC00}}) {
    EXPECT_EQ(asciiRuns::printableUnits(u"abcdefghijklmno" + std::u16string(1, odd), 100), 15u) << int(odd);
  }
  // A unit that carries into the next when lifted is itself the one found.
  EXPECT_EQ(asciiRuns::printableUnits(std::u16string(u"ab\uFFFF\x1F"), 100), 2u);
  std::u16string printable;
  for (char16_t unit = 0x20; unit < 0x80; ++unit) printable += unit;
  EXPECT_EQ(asciiRuns::printableUnits(printable, 1000), printable.size());
  EXPECT_EQ(asciiRuns::printableUnits(printable, 20), 20u);
  EXPECT_EQ(asciiRuns::printableUnits(printable, 7), 4u);
  EXPECT_EQ(asciiRuns::printableUnits(u"abc", 100), 0u) << "fewer than four are the caller's";
}

// Short texts and the ends of long ones are copied in groups laid over the end of the text: the
// run must end at the first other unit wherever it is, what is copied must be the text, and no
// group may write past the room the caller gave (the guard after it stays as it was).
TEST(AsciiRuns, RunsEndAtTheFirstOtherUnitAndStayInTheirRoom) {
  constexpr size_t kGuard = 16;
  for (size_t length = 0; length <= 40; ++length) {
    for (size_t at = 0; at <= length; ++at) {  // at == length: no other unit
      for (const unsigned char odd : {0x80, 0xC4, 0xFF}) {
        std::string bytes;
        for (size_t i = 0; i < length; ++i) bytes += i == at ? static_cast<char>(odd) : static_cast<char>('#' + i);
        std::u16string out(length + kGuard, u'\uABCD');
        ASSERT_EQ(asciiRuns::widen(bytes, out.data()), at) << length << " " << at << " " << int(odd);
        for (size_t i = 0; i < at; ++i) ASSERT_EQ(out[i], static_cast<char16_t>('#' + i)) << length << " " << at;
        ASSERT_EQ(out.substr(length), std::u16string(kGuard, u'\uABCD')) << length << " " << at;
      }
      for (const char16_t odd : {char16_t{0}, char16_t{0x80}, char16_t{0x100}, char16_t{0xFF41}}) {
        for (const bool stopAtNul : {false, true}) {
          std::u16string units;
          for (size_t i = 0; i < length; ++i) units += i == at ? odd : static_cast<char16_t>('#' + i);
          std::string out(length + kGuard, '\x5A');
          const size_t expected = odd == 0 && !stopAtNul ? length : at;
          ASSERT_EQ(asciiRuns::narrow(units, out.data(), stopAtNul), expected)
              << length << " " << at << " " << int(odd) << " " << stopAtNul;
          for (size_t i = 0; i < expected; ++i) ASSERT_EQ(out[i], static_cast<char>(units[i])) << length << " " << at;
          ASSERT_EQ(out.substr(length), std::string(kGuard, '\x5A')) << length << " " << at;
        }
      }
    }
  }
}

// ASCII is copied many units at a time: one unit of another kind at every place of texts
// longer and shorter than a copy must end the run exactly there, both ways.
TEST(ScriptTextEncoding, AnyUnitEndsAnAsciiRunWhereItIs) {
  struct Odd {
    char16_t unit;
    std::string bytes;  // "" for U+0000, where the text ends
  };
  const Odd odds[] = {{u'\0', ""}, {u'\u0080', "\xC2\x80"}, {u'\u00FF', "\xC3\xBF"},
                      {u'\u0100', "\xC4\x80"}, {u'\u7FFF', "\xE7\xBF\xBF"}, {u'\uFF80', "\xEF\xBE\x80"}};
  std::string bytes;
  std::u16string units;
  for (size_t length = 1; length <= 40; ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (const Odd& odd : odds) {
        std::u16string text;
        std::string expected;
        for (size_t i = 0; i < length; ++i) {
          const char ascii = static_cast<char>('!' + (i * 7) % 90);
          text += i == at ? odd.unit : static_cast<char16_t>(ascii);
          expected += i == at ? odd.bytes : std::string(1, ascii);
        }
        if (odd.unit == u'\0') expected.resize(at);
        encodeScriptText(text, &bytes);
        ASSERT_EQ(bytes, expected) << length << " " << at << " " << int(odd.unit);
        if (odd.unit == u'\0') continue;
        decodeScriptText(bytes, &units);
        ASSERT_EQ(units, text) << length << " " << at << " " << int(odd.unit);
      }
    }
  }
}

TEST(ScriptErrorTexts, MessagesTracesAndLines) {
  int32_t line = -1;
  EXPECT_EQ(splitCompileLine("script:3: unexpected token", "script", &line), "unexpected token");
  EXPECT_EQ(line, 3);
  line = -1;
  EXPECT_EQ(splitCompileLine("other:3: unexpected token", "script", &line), "other:3: unexpected token");
  EXPECT_EQ(line, -1);
  EXPECT_EQ(traceLine("\n\tat f (script:7)\n\tat script:9"), 7);
  EXPECT_EQ(traceLine("\n\tat native"), 0);
  EXPECT_EQ(sourceLine("one\r\ntwo\nthree", 2), "two");
  EXPECT_EQ(sourceLine("one\ntwo", 3), "");
  EXPECT_EQ(sourceLine("one\ntwo", 0), "");
  EXPECT_EQ(errorNumberOf("TypeError"), kTypeError);
  EXPECT_EQ(errorNumberOf("SyntaxError"), kSyntaxError);
  EXPECT_EQ(errorNumberOf("MyError"), kOtherError);
}

}  // namespace
