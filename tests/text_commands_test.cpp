// The text commands at their edges, called through the command convention so that the
// defaults of omitted arguments are what is tested.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/command_call.h"
#include "runtime/cut_fields.h"
#include "runtime/text_commands.h"

namespace {

using Arg = CommandArgument;

// The elements of a text array, a null element read as "(null)" so empty cells stay visible.
std::vector<std::string> elementsOf(const ArrayValue& array) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= array.count(); ++i) out.emplace_back(array.textAt(i) ? array.textAt(i) : "(null)");
  return out;
}

std::vector<std::string> split(const char* text, std::initializer_list<Arg> rest) {
  std::vector<Arg> args{Arg::ofText(text)};
  args.insert(args.end(), rest);
  CommandResult result{};
  textCommands::splitText(&result, static_cast<int32_t>(args.size()), args.data());
  return elementsOf(takeArray(result, ElementType::Text));
}

std::string replace(const char* text, const char* find, std::initializer_list<Arg> rest) {
  std::vector<Arg> args{Arg::ofText(text), Arg::ofText(find)};
  args.insert(args.end(), rest);
  CommandResult result{};
  textCommands::replaceText(&result, static_cast<int32_t>(args.size()), args.data());
  TextValue out = takeText(result);
  return out.isNull() ? "(null)" : out.c_str();
}

using V = std::vector<std::string>;
const Arg kMissing = Arg::missing();

TEST(SplitText, EmptyFieldsAndTrailingSeparator) {
  EXPECT_EQ(split("a,b", {Arg::ofText(","), kMissing}), (V{"a", "b"}));
  EXPECT_EQ(split("a,,b", {Arg::ofText(","), kMissing}), (V{"a", "(null)", "b"}));
  EXPECT_EQ(split(",a", {Arg::ofText(","), kMissing}), (V{"(null)", "a"}));
  EXPECT_EQ(split("a,", {Arg::ofText(","), kMissing}), (V{"a"}));
  EXPECT_EQ(split(",", {Arg::ofText(","), kMissing}), (V{"(null)"}));
  EXPECT_EQ(split("", {Arg::ofText(","), kMissing}), V{});
  EXPECT_EQ(split("a  b", {Arg::ofText(" "), kMissing}), (V{"a", "(null)", "b"}));
  EXPECT_EQ(split("x,y", {kMissing, kMissing}), (V{"x", "y"})) << "an omitted separator is a comma";
}

TEST(SplitText, LineBreaksCutOnlyAtCarriageReturnLineFeed) {
  EXPECT_EQ(split("a\r\nb\r\n", {Arg::ofText("\r\n"), kMissing}), (V{"a", "b"}));
  EXPECT_EQ(split("a\r\n\r\nb", {Arg::ofText("\r\n"), kMissing}), (V{"a", "(null)", "b"}));
  EXPECT_EQ(split("a\nb\rc", {Arg::ofText("\r\n"), kMissing}), (V{"a\nb\rc"}));
  EXPECT_EQ(split("\r\n", {Arg::ofText("\r\n"), kMissing}), (V{"(null)"}));
}

TEST(SplitText, SeparatorNeverMatchesInsideATwoByteCharacter) {
  // "\x81\x7C" is one two-byte character whose trail byte is "|".
  EXPECT_EQ(split("a|\x81\x7C|b", {Arg::ofText("|"), kMissing}), (V{"a", "\x81\x7C", "b"}));
  // A lone lead byte at the end stops the scan and stays in the last field.
  EXPECT_EQ(split("a,b\x81", {Arg::ofText(","), kMissing}), (V{"a", "b\x81"}));
  // 0x80 is the euro sign, one byte: the comma after it still separates.
  EXPECT_EQ(split("\x80,b", {Arg::ofText(","), kMissing}), (V{"\x80", "b"}));
}

TEST(SplitText, EmptySeparatorAndLimits) {
  EXPECT_EQ(split("a,b", {Arg::ofText(""), kMissing}), (V{"a,b"}));
  EXPECT_EQ(split("a,b,c", {Arg::ofText(","), Arg::ofInt(1)}), (V{"a"}));
  EXPECT_EQ(split("a,b,c", {Arg::ofText(","), Arg::ofInt(2)}), (V{"a", "b"}));
  EXPECT_EQ(split("a,b", {Arg::ofText(","), Arg::ofInt(0)}), V{});
  EXPECT_EQ(split("a,b", {Arg::ofText(","), Arg::ofInt(-3)}), V{}) << "a negative limit counts as 0";
  EXPECT_EQ(split("a,b", {Arg::ofText(","), Arg::ofInt(5)}), (V{"a", "b"}));
}

// Counting the fields must agree with cutting them, at every edge the cut has.
TEST(SplitText, CountFieldsGivesTheNumberOfElementsSplitGives) {
  const std::pair<const char*, const char*> cases[] = {
      {"4,6,4", ","}, {"a,,b", ","}, {",a", ","}, {"a,", ","}, {",", ","}, {"", ","}, {"a  b", " "},
      {"a|\x81\x7C|b", "|"}, {"a,b\x81", ","}, {"\x81,", ","}, {"\x80,b", ","}, {"a\r\n\r\nb\r\n", "\r\n"},
      {"a,b", ""}, {"\r", "\r\n"},
  };
  for (const auto& [text, separator] : cases) {
    EXPECT_EQ(countFields(text, separator), splitText(text, separator).count()) << text << " at " << separator;
  }
  EXPECT_EQ(countFields("a,b\x81", ","), 2);
  EXPECT_EQ(countFields("\x81,", ","), 1) << "the comma is the lead byte's trail";
  EXPECT_EQ(countFields(nullptr, ","), 0);
}

// A long text is searched for a separator that holds no lead byte, each place found checked by
// the lead bytes before it: it cuts as a walk that looks at every byte in turn does, for texts
// over separators, lead, trail and plain bytes on either side of the length searched from, and
// for a separator that holds a lead byte too, with and without a limit.
TEST(SplitText, SearchedCutMatchesAWalkOverEveryByte) {
  const auto byteWalk = [](const std::string& text, const std::string& separator, int limit) {
    std::vector<std::string> fields;
    size_t fieldStart = 0, at = 0;
    while (text.size() - at >= separator.size()) {
      if (text.compare(at, separator.size(), separator) == 0) {
        fields.push_back(text.substr(fieldStart, at - fieldStart));
        at += separator.size();
        fieldStart = at;
        if (limit > 0 && --limit == 0) return fields;
      } else if (static_cast<unsigned char>(text[at]) >= 0x81 && static_cast<unsigned char>(text[at]) <= 0xFE) {
        if (at + 1 == text.size()) break;
        at += 2;
      } else {
        at += 1;
      }
    }
    if (fieldStart < text.size()) fields.push_back(text.substr(fieldStart));
    return fields;
  };
  // Lead bytes, bytes that are both lead and trail, trail bytes in ASCII's range, the euro
  // sign, and the bytes of the separators.
  const std::string alphabet = std::string("a,\r\n\x81\xB0") + "A|\x80\xFE\x7F@";
  const char* const separators[] = {",", "\r\n", ",,", "|", "@", "\r", "\xB0" "A", "\x81"};
  uint32_t seed = 12345;
  for (int round = 0; round < 20000; ++round) {
    seed = seed * 1103515245u + 12345u;
    std::string text(round % 2 == 0 ? seed % 25 : kSearchedTextLength - 8 + seed % 40, ' ');
    for (char& byte : text) {
      seed = seed * 1103515245u + 12345u;
      byte = (seed >> 16) % 4 == 0 ? static_cast<char>('b' + (seed >> 20) % 4) : alphabet[(seed >> 20) % alphabet.size()];
    }
    for (const char* separator : separators)
    for (const int limit : {-1, 2}) {
      std::vector<std::string> cut;
      cutFields(text.c_str(), separator, [&](const char* begin, size_t length) { cut.emplace_back(begin, length); }, limit);
      ASSERT_EQ(cut, byteWalk(text, separator, limit)) << "round " << round << ", separator " << separator;
    }
  }
}

TEST(ReplaceText, NeverRescansInsertedTextAndHonoursStartAndCount) {
  const Arg yes = Arg::ofLogical(true);
  EXPECT_EQ(replace("a\\b", "\\", {Arg::ofText("\\\\"), kMissing, kMissing, yes}), "a\\\\b");
  EXPECT_EQ(replace("aaaa", "a", {Arg::ofText("aa"), kMissing, kMissing, yes}), "aaaaaaaa");
  EXPECT_EQ(replace("aaaa", "aa", {Arg::ofText("b"), kMissing, kMissing, yes}), "bb");
  EXPECT_EQ(replace("xxxx", "x", {Arg::ofText("y"), Arg::ofInt(3), kMissing, yes}), "xxyy");
  EXPECT_EQ(replace("xxxx", "x", {Arg::ofText("y"), Arg::ofInt(-4), Arg::ofInt(1), yes}), "yxxx");
  EXPECT_EQ(replace("xxxx", "x", {Arg::ofText("y"), Arg::ofInt(1), Arg::ofInt(-1), yes}), "yyyy");
  EXPECT_EQ(replace("xx", "x", {Arg::ofText("y"), Arg::ofInt(3), kMissing, yes}), "xx");
  EXPECT_EQ(replace("ab", "b", {kMissing, kMissing, kMissing, yes}), "a") << "omitted replacement is empty";
  EXPECT_EQ(replace("", "b", {}), "(null)");
  EXPECT_EQ(replace("ab", "", {Arg::ofText("z")}), "ab");
}

TEST(ReplaceText, CaseFoldsAsciiOnlyAndStepsOverTwoByteCharacters) {
  EXPECT_EQ(replace("Aa", "a", {Arg::ofText("-"), kMissing, kMissing, kMissing}), "--") << "default is case-insensitive";
  EXPECT_EQ(replace("Aa", "a", {Arg::ofText("-"), kMissing, kMissing, Arg::ofLogical(true)}), "A-");
  EXPECT_EQ(replace("\xC1\xE1", "\xE1", {Arg::ofText("-"), kMissing, kMissing, kMissing}), "\xC1\xE1")
      << "a trail byte is not a match, and bytes above 0x7F do not fold";
  // "\x95\x5C" has a backslash as its trail byte: escaping backslashes leaves it whole.
  EXPECT_EQ(replace("\x95\x5C\\", "\\", {Arg::ofText("\\\\"), kMissing, kMissing, Arg::ofLogical(true)}),
            "\x95\x5C\\\\");
  EXPECT_EQ(replace("ab\xB0", "a", {Arg::ofText("c"), kMissing, kMissing, Arg::ofLogical(true)}), "cb")
      << "a lone lead byte at the end is dropped";
  EXPECT_EQ(replace("a\x80", "a", {Arg::ofText("c"), kMissing, kMissing, Arg::ofLogical(true)}), "c\x80")
      << "a euro sign at the end is kept";
}

TEST(RepeatAndConvert, Edges) {
  EXPECT_STREQ(repeatText(3, "-").c_str(), "---");
  EXPECT_TRUE(repeatText(0, "-").isNull());
  EXPECT_TRUE(repeatText(-2, "-").isNull());
  EXPECT_TRUE(repeatText(4, "").isNull());
  EXPECT_STREQ(repeatText(2, "序").c_str(), "序序");
  EXPECT_EQ(repeatText(2, "序").length(), 4);
  EXPECT_STREQ(toText(-5).c_str(), "-5");
  EXPECT_STREQ(toText(3.0).c_str(), "3");
  EXPECT_STREQ(toText(-1.0).c_str(), "-1");
  EXPECT_STREQ(toText(0.25).c_str(), "0.25");
  EXPECT_STREQ(toText(1.0 / 3).c_str(), "0.3333333333333");
  EXPECT_EQ(toInteger(2.99), 2);
  EXPECT_EQ(toInteger(-2.99), -2);
  EXPECT_EQ(callCommand(textCommands::toInteger, {Arg::ofInt(-7)}).asInt(), -7);
}

TEST(SmallCommands, StartsWithLengthAndCharFromCode) {
  EXPECT_TRUE(textStartsWith("abc", ""));
  EXPECT_TRUE(textStartsWith("da.row", "da"));
  EXPECT_FALSE(textStartsWith("ab", "abc"));
  EXPECT_FALSE(textStartsWith("abc", "A"));
  EXPECT_EQ(textLength("序号"), 4);
  EXPECT_EQ(textLength(""), 0);
  EXPECT_STREQ(charFromCode(9).c_str(), "\t");
  EXPECT_STREQ(charFromCode(32).c_str(), " ");
  EXPECT_TRUE(charFromCode(0).isNull());
  // Only the low byte of the low word counts.
  EXPECT_STREQ(takeText(callCommand(textCommands::charFromCode, {Arg{0x141, 0, TypeCode::Int}})).c_str(), "A");
}

}  // namespace
