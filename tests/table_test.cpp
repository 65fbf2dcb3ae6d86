// Measuring and rendering: the tables the rules predict, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "runtime/text_commands.h"
#include "table/measure_line.h"
#include "table/render_table.h"
#include "table/press.h"

namespace {

void expectSameMeasure(const ColumnMeasure& fromText, const ColumnMeasure& fromCells) {
  EXPECT_STREQ(fromText.cellLengthsText.c_str(), fromCells.cellLengthsText.c_str());
  ASSERT_EQ(fromText.columnCount, fromCells.columnCount);
  ASSERT_EQ(fromText.columnWidths.count(), fromCells.columnWidths.count());
  for (int32_t k = 1; k <= fromCells.columnWidths.count(); ++k) {
    EXPECT_EQ(fromText.columnWidths.intAt(k), fromCells.columnWidths.intAt(k)) << "column " << k;
  }
}

// Measures every line as the recording pass does, passing the previous line's number of
// recorded lengths (the count of its cellLengthsText), then renders. Each line is measured
// from its cut cells and from its text as it is cut, which must agree line after line.
std::string tableOf(const char* input, const char* separator) {
  const ArrayValue lines = splitText(input, "\r\n");
  ColumnMeasure measure;
  ColumnMeasure measuredAsCut;
  int32_t previousLengthCount = 0;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    measureLine(measure, i, splitText(lines.textAt(i), separator), previousLengthCount);
    measureLine(measuredAsCut, i, lines.textAt(i), separator, previousLengthCount);
    expectSameMeasure(measuredAsCut, measure);
    previousLengthCount = splitText(measure.cellLengthsText.c_str(), ",").count();
  }
  return renderTable(InputLines(TextValue::copyOf(input)), separator, measure).c_str();
}

// The input cut where it lies gives exactly splitText's lines: empty lines between and at
// the start, no line after a final "\r\n", a lone "\r" or "\n" kept inside its line, a
// "\r\n" right after a double-byte character still a break.
TEST(InputLines, CutInPlaceAsSplitTextCuts) {
  for (const char* input : {"\r\n", "a", "a\r\n", "\r\n\r\nb\r\n\r\n", "a\rb\nc\r\nd\r", "\r\r\n\n",
                            "\xd0\xf2\r\n\xba\xc5", "a\r\n\r\n\r\nb"}) {
    const ArrayValue split = splitText(input, "\r\n");
    const InputLines lines(TextValue::copyOf(input));
    ASSERT_EQ(lines.count(), split.count()) << input;
    for (int32_t i = 1; i <= split.count(); ++i) {
      EXPECT_STREQ(lines.textAt(i), split.textAt(i) != nullptr ? split.textAt(i) : "") << input << " line " << i;
    }
  }
}

TEST(RenderTable, SampleWithChineseHeaders) {
  EXPECT_EQ(tableOf("序号 字段名 注释\r\n1 file 文件\r\n2 path 路径", " "),
            "+-------+---------+-------+\r\n"
            "| 序号  | 字段名  | 注释  |\r\n"
            "+-------+---------+-------+\r\n"
            "| 1     | file    | 文件  |\r\n"
            "| 2     | path    | 路径  |\r\n"
            "+-------+---------+-------+\r\n");
}

TEST(RenderTable, LaterLineWidensOnlyWhenThePreviousRecordListsTheColumn) {
  EXPECT_EQ(tableOf("h1,h2\r\nlong-long,x\r\ny\r\nzz,wwwwwwww", ","),
            "+------------+-----+\r\n"
            "| h1         | h2  |\r\n"
            "+------------+-----+\r\n"
            "| long-long  | x   |\r\n"
            "| y          |     |\r\n"
            "| zz         | wwwwwwww|\r\n"
            "+------------+-----+\r\n");
}

TEST(RenderTable, SmallTables) {
  EXPECT_EQ(tableOf("a,b", ","), "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n");
  EXPECT_EQ(tableOf("name,qty\r\nbolt,12\r\nnut", ","),
            "+-------+------+\r\n| name  | qty  |\r\n+-------+------+\r\n"
            "| bolt  | 12   |\r\n| nut   |      |\r\n+-------+------+\r\n");
  EXPECT_EQ(tableOf("\r\n", ","), "+\r\n|\r\n+\r\n");
  EXPECT_EQ(tableOf("a\r\nb", ","), "+----+\r\n| a  |\r\n+----+\r\n| b  |\r\n+----+\r\n");
}

TEST(RenderTable, EmptyCellsBlankLinesAndControlBytes) {
  // An empty middle cell that nothing fills is a column of width 0.
  EXPECT_EQ(tableOf("a,,b", ","), "+----+---+----+\r\n| a  |   | b  |\r\n+----+---+----+\r\n");
  // A blank line is a row of blank cells; a lone "\r" and "|" stay inside their cells.
  EXPECT_EQ(tableOf("x,y\r\n\r\np\r,|", ","),
            "+-----+----+\r\n| x   | y  |\r\n+-----+----+\r\n|     |    |\r\n| p\r  | |  |\r\n+-----+----+\r\n");
}

// Cells the cut treats apart: a separator inside a two-byte character, a lone lead byte at the
// end, leading and doubled separators, and the empty separator.
TEST(MeasureLine, AsCutFromTheTextAsFromTheCells) {
  EXPECT_EQ(tableOf("a|\x81\x7C|b\r\n|x||\r\nc,d\x81", "|"),
            "+-------+-----+----+\r\n| a     | \x81|  | b  |\r\n+-------+-----+----+\r\n|       | x   |    |\r\n"
            "| c,d\x81  |     |    |\r\n+-------+-----+----+\r\n");
  EXPECT_EQ(tableOf(" a  b\r\nc ", " "),
            "+----+----+---+----+\r\n|    | a  |   | b  |\r\n+----+----+---+----+\r\n| c  |    |   |    |\r\n"
            "+----+----+---+----+\r\n");
  EXPECT_EQ(tableOf("a,b\r\nlonger,c", ""),
            "+-----------+\r\n| a,b       |\r\n+-----------+\r\n| longer,c  |\r\n+-----------+\r\n");
}

TEST(MeasureLine, BlankLineKeepsTheLastLengthsAndWidthsOnlyGrow) {
  ColumnMeasure measure;
  measureLine(measure, 1, splitText("序号,ab", ","), 0);
  EXPECT_STREQ(measure.cellLengthsText.c_str(), "4,2");
  measureLine(measure, 2, splitText("", ","), 2);
  EXPECT_STREQ(measure.cellLengthsText.c_str(), "4,2");
  measureLine(measure, 3, splitText("a,abcdef,c", ","), 0);
  EXPECT_STREQ(measure.cellLengthsText.c_str(), "1,6,1");
  EXPECT_EQ(measure.columnCount, 3);
  EXPECT_EQ(measure.columnWidths.intAt(2), 2) << "previous record listed no cells";
  EXPECT_EQ(measure.columnWidths.intAt(3), 1) << "a newly opened column takes the cell";
  measureLine(measure, 4, splitText("abcdefgh", ","), 3);
  EXPECT_EQ(measure.columnWidths.intAt(1), 8);
  EXPECT_EQ(measure.columnCount, 3) << "fewer cells never shrink the table";
  EXPECT_STREQ(borderLine(measure).c_str(), "+-----------+-----+----+");
}

}  // namespace

namespace {

// A run's press: superseded once a later press happens, and rendering then stops before its
// next line, giving nothing. A RunPress of no press never is.
TEST(SupersededRun, RenderingStopsOnceALaterPressHappens) {
  const ArrayValue lines = splitText("a,b\r\nc,d", "\r\n");
  ColumnMeasure measure;
  measureLine(measure, 1, splitText(lines.textAt(1), ","), 0);
  pressWithSeparator(TextValue::constant(","));
  const RunStart run = beginRun();
  EXPECT_FALSE(run.press.superseded());
  EXPECT_EQ(std::string(renderTable(InputLines(lines), ",", measure, run.press).c_str()),
            "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n| c  | d  |\r\n+----+----+\r\n");
  pressWithSeparator(TextValue::constant(","));
  EXPECT_TRUE(run.press.superseded());
  EXPECT_TRUE(renderTable(InputLines(lines), ",", measure, run.press).isNull());
  EXPECT_FALSE(RunPress().superseded());
  EXPECT_FALSE(renderTable(InputLines(lines), ",", measure).isNull());
  // A worker that starts only after the next press is still its own press's run.
  const uint32_t early = pressWithSeparator(TextValue::constant(","));
  const uint32_t late = pressWithSeparator(TextValue::constant(","));
  EXPECT_TRUE(beginRun(early).press.superseded());
  EXPECT_FALSE(beginRun(late).press.superseded());
  releaseFieldSeparator();
}

}  // namespace
