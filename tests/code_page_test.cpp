// The code page: GBK texts round-trip, what GBK lacks becomes "?", and no byte string can
// break the conversion to UTF-16.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/code_page.h"

namespace {

const CodePage& codePage() { return platformCodePage(); }

TEST(CodePage, GbkTextRoundTrips) {
  const std::string ansi = "序号 | a\r\n结果示例：";  // compiled to GBK bytes
  EXPECT_EQ(ansi.substr(0, 4), "\xD0\xF2\xBA\xC5");
  const std::u16string wide = codePage().toUtf16(ansi);
  EXPECT_EQ(wide, u"序号 | a\r\n结果示例：");
  EXPECT_EQ(codePage().toAnsi(wide), ansi);
  EXPECT_EQ(codePage().toUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(codePage().toUtf16(""), u"");
  EXPECT_EQ(codePage().toAnsi(u""), "");
}

TEST(CodePage, CharactersGbkLacksBecomeQuestionMarks) {
  EXPECT_EQ(codePage().toAnsi(u"a\U0001F600b"), "a?b") << "a surrogate pair is one character";
  EXPECT_EQ(codePage().toAnsi(u"\u0e01文"), "?\xCE\xC4");
  // GBK has only the lower-case letters; no look-alike stands in for the capitals.
  EXPECT_EQ(codePage().toAnsi(u"\u00C0\u0100\u00E0"), "??\xA8\xA4") << "no best fit";
  EXPECT_EQ(codePage().toAnsi(std::u16string(u"x\xD800y", 3)), "x?y") << "lone high surrogate";
  EXPECT_EQ(codePage().toAnsi(std::u16string(u"\xDC00", 1)), "?") << "lone low surrogate";
  EXPECT_EQ(codePage().toAnsi(std::u16string(u"文\xD83D", 2)), "\xCE\xC4?") << "cut pair at the end";
}

TEST(CodePage, BrokenGbkBecomesReplacementAndTheRestConverts) {
  EXPECT_EQ(codePage().toUtf16("ab\xCE"), u"ab\uFFFD") << "lone lead byte at the end";
  EXPECT_EQ(codePage().toUtf16("\xCE\xC4\xFF" "x"), u"文\uFFFDx");
  // GBK leaves its user-defined area unmapped; code page 936 maps it to the private use area.
  // Either way the pair is one character and the byte after it is read afresh.
  const std::u16string userDefined = codePage().toUtf16("\xAA\xA1z");
  ASSERT_EQ(userDefined.size(), 2u);
  EXPECT_TRUE(userDefined[0] == u'\uFFFD' || userDefined[0] == u'\uE000') << int(userDefined[0]);
  EXPECT_EQ(userDefined[1], u'z');
  EXPECT_EQ(codePage().toUtf16("\xCE\x0A" "b"), u"\uFFFD\nb") << "a lead byte before a line break";
}

// Every two-byte character converts to the one unit that converts back to it, and a row of
// them together converts to what each gives alone: no character depends on its neighbours.
TEST(CodePage, EveryPairConvertsToItsOwnCharacter) {
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    std::string row;
    std::u16string alone;
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string wide = codePage().toUtf16(pair);
      ASSERT_EQ(wide.size(), 1u) << lead << " " << trail;
      if (wide[0] != u'\uFFFD') {
        ASSERT_EQ(codePage().toAnsi(wide), pair) << lead << " " << trail;
        ++mapped;
      }
      row += pair;
      alone += wide;
    }
    ASSERT_EQ(codePage().toUtf16("a" + row + "b"), u"a" + alone + u"b") << lead;
  }
  EXPECT_GE(mapped, 21791) << "GBK's characters, at the least";
}

// Every unit but the surrogates converts in a long text as it does alone, whichever comes
// first: what a character converts to may not depend on whether it was met before.
TEST(CodePage, EveryUnitConvertsInATextAsItDoesAlone) {
  std::u16string all;
  for (char32_t unit = 0x80; unit <= 0xFFFF; ++unit) {
    if (unit < 0xD800 || unit > 0xDFFF) all += static_cast<char16_t>(unit);
  }
  const std::string together = codePage().toAnsi(u"x" + all + u"y");
  std::string alone = "x";
  size_t refused = 0;
  for (const char16_t unit : all) {
    const std::string bytes = codePage().toAnsi(std::u16string(1, unit));
    ASSERT_TRUE(bytes == "?" || (bytes.size() <= 2 && static_cast<unsigned char>(bytes[0]) >= 0x80))
        << int(unit) << " " << bytes;
    refused += bytes == "?";
    alone += bytes;
  }
  EXPECT_EQ(together, alone + "y");
  EXPECT_EQ(codePage().toAnsi(u"x" + all + u"y"), together) << "converted again, from the table";
  EXPECT_GE(all.size() - refused, 21792u) << "GBK's characters and the euro sign, at the least";
}

TEST(CodePage, LongTextsConvertAsTheirPiecesDo) {
  // ASCII runs longer than the converters copy at a time, between characters of every kind:
  // a pair whose trail byte is in ASCII's range, broken bytes, a lead byte before a space.
  struct Piece {
    std::string ansi;
    std::u16string wide;
  };
  const Piece pieces[] = {
      {"0123456789abcdefghij", u"0123456789abcdefghij"},
      {"x", u"x"},
      {"\xD0\xF2\xBA\xC5", u"序号"},
      {"\x81\x40", u"\u4E02"},
      {"\xFF", u"\uFFFD"},
      {"\xCE ", u"\uFFFD "},
      {"\x80", codePage().toUtf16("\x80")},
  };
  std::mt19937 random(11);
  std::u16string wide = u"a longer text this buffer held before, to be replaced entirely";
  std::string ansi = "left over";
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    std::u16string expected;
    std::string expectedBack;
    for (int count = static_cast<int>(random() % 12); count > 0; --count) {
      const Piece& piece = pieces[random() % std::size(pieces)];
      bytes += piece.ansi;
      expected += piece.wide;
      expectedBack += codePage().toAnsi(piece.wide);
    }
    codePage().convertToUtf16(bytes, &wide);
    ASSERT_EQ(wide, expected) << bytes;
    codePage().convertToAnsi(wide, &ansi);
    ASSERT_EQ(ansi, expectedBack) << bytes;
  }
}

TEST(CodePage, EveryByteStringConverts) {
  // All one- and two-byte strings, then random longer ones: each converts to at most one
  // unit per byte, and what it gives back converts to GBK again.
  for (int first = 0; first < 256; ++first) {
    for (int second = -1; second < 256; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second >= 0) bytes += static_cast<char>(second);
      const std::u16string wide = codePage().toUtf16(bytes);
      ASSERT_GE(wide.size(), 1u);
      ASSERT_LE(wide.size(), bytes.size());
      codePage().toAnsi(wide);
    }
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 40, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    ASSERT_LE(codePage().toUtf16(bytes).size(), bytes.size());
  }
}

}  // namespace
