// The shared case list: its escapes give exactly the bytes they promise, a fault in the list
// names its line, and the built-in list parses on this platform into the cases both builds run.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/end_to_end_cases.h"

namespace {

// The list is UTF-8 while narrow literals here are GBK.
std::string_view utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(EndToEndCaseList, EscapesAndContinuationLinesGiveExactBytes) {
  const auto cases = parseEndToEndCases(utf8(
      u8"# comment\n"
      u8"case first\n"
      u8"separator tab\n"
      u8"input a\\tb\\r\\n\n"
      u8"  序\\x81\\\\ \\s\n"
      u8"output\n"
      u8"  \\*3{-}\\*2{\\r\\x7D}+\n"
      u8"\n"
      u8"case second\r\n"
      u8"separator space\r\n"
      u8"input\r\n"
      u8"output 文\r\n"
      u8"store {\"test\":[]}\r\n"));
  ASSERT_EQ(cases.size(), 2u);
  EXPECT_EQ(cases[0].name, "first");
  EXPECT_EQ(cases[0].separator, '\t');
  EXPECT_EQ(cases[0].input, "a\tb\r\n\xD0\xF2\x81\\  ");
  EXPECT_EQ(cases[0].output, "---\r}\r}+");
  EXPECT_FALSE(cases[0].cellStore.has_value());
  EXPECT_EQ(cases[1].separator, ' ');
  EXPECT_EQ(cases[1].input, "");
  EXPECT_EQ(cases[1].output, "\xCE\xC4");
  EXPECT_EQ(cases[1].cellStore, "{\"test\":[]}");
}

TEST(EndToEndCaseList, FaultsNameTheirLine) {
  auto faultOf = [](const char* list) {
    try {
      parseEndToEndCases(list);
    } catch (const std::runtime_error& fault) {
      return std::string(fault.what());
    }
    return std::string("no fault");
  };
  EXPECT_EQ(faultOf("case a\nseparator pipe\n"), "end_to_end.txt line 2: separator is tab, space or comma");
  EXPECT_EQ(faultOf("case a\nseparator tab\ninput x\n"),
            "end_to_end.txt line 4: case \"a\" lacks its separator, input or output");
  EXPECT_EQ(faultOf("case a\nseparator tab\ninput \\q\noutput\n"), "end_to_end.txt line 3: unknown escape \\q");
  EXPECT_EQ(faultOf("case a\nseparator tab\ninput\n  \\*2{x\noutput\n"),
            "end_to_end.txt line 3: a \\*N{ without its }");
  EXPECT_EQ(faultOf("  x\n"), "end_to_end.txt line 1: an indented line outside a field");
}

TEST(EndToEndCaseList, BuiltInListHoldsTheSampleFirst) {
  const auto cases = endToEndCases();
  ASSERT_EQ(cases.size(), 22u);
  EXPECT_EQ(cases[0].separator, ' ');
  EXPECT_EQ(cases[0].input, "序号 字段名 注释\r\n1 file 文件\r\n2 path 路径");  // GBK literals here
  EXPECT_EQ(cases[0].output,
            "+-------+---------+-------+\r\n| 序号  | 字段名  | 注释  |\r\n+-------+---------+-------+\r\n"
            "| 1     | file    | 文件  |\r\n| 2     | path    | 路径  |\r\n+-------+---------+-------+\r\n");
  EXPECT_EQ(cases[0].cellStore,
            R"({"test":[{"row":"1","column":"4,6,4"},{"row":"2","column":"1,4,4"},{"row":"3","column":"1,4,4"}]})");
  for (const EndToEndCase& each : cases) {
    SCOPED_TRACE(each.name);
    EXPECT_TRUE(each.output.empty() || each.output.ends_with("+\r\n"));
  }
}

}  // namespace
