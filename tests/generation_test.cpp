// The whole tool through the real window: text set into the input box, real clicks on the
// radio boxes and the button, the table read back from the output box after the worker's run.
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/start_button.h"
#include "platform/threads.h"
#include "table/generate_table.h"
#include "tests/end_to_end_cases.h"
#include "tests/run_watch.h"
#include "tests/stall_watch.h"
#include "tests/window_test_support.h"
#include "ui/control_property.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"

namespace {

using unitId::kEditBox1;
using unitId::kEditBox2;
using unitId::kMainWindow;

using runWatch::inputsRead;
using runWatch::runsEnded;
constexpr auto& kHandlers = runWatch::kWatchedHandlers;

// Pumps the main thread's events until `done` holds, or until the process has stopped
// working (a hang): however slow the build or busy the machine, a run that goes on gets there.
void waitUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  StallWatch watch;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done() || watch.ownProcessStalled()) loop.quit();
  });
  poll.start(5);
  loop.exec();
}

class GenerationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = openMainWindow(kHandlers);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    waitForRuns(started_);
    closeMainWindowForm();
  }

  void setInput(const std::string& gbkText) { writeContent(kMainWindow, kEditBox1, gbkText.c_str()); }
  void choose(const char16_t* radioName) {
    QTest::mouseClick(childNamed<QRadioButton>(window_, qs(radioName)), Qt::LeftButton);
  }
  void press() {
    ++started_;
    QTest::mouseClick(childNamed<QPushButton>(window_, qs(u"按钮1")), Qt::LeftButton);
  }
  // Pumps the main thread's events until `counter` has counted `count` since the test began.
  static void waitFor(const std::atomic<int>& counter, int before, int count) {
    waitUntil([&] { return counter.load() - before >= count; });
    ASSERT_GE(counter.load() - before, count) << "the runs stopped before they got there";
  }
  void waitForRuns(int count) { waitFor(runsEnded, runsBefore_, count); }
  std::string output() { return readContent(kMainWindow, kEditBox2).c_str(); }
  // Sets the input, picks the separator, presses once and returns the output box's text.
  std::string tableFor(const std::u16string& input, const char16_t* radioName) {
    setInput(gbk(input));
    choose(radioName);
    press();
    EXPECT_EQ(output(), "") << "a press empties the output box at once";
    waitForRuns(started_);
    return output();
  }
  static std::string cellStore() { return runWatch::cellStore(); }

  QWidget* window_ = nullptr;
  int started_ = 0;
  const int runsBefore_ = runsEnded.load();
  const int readsBefore_ = inputsRead.load();
};

const std::string kSampleTable = gbk(
    u"+-------+---------+-------+\r\n| 序号  | 字段名  | 注释  |\r\n+-------+---------+-------+\r\n"
    u"| 1     | file    | 文件  |\r\n| 2     | path    | 路径  |\r\n+-------+---------+-------+\r\n");

TEST_F(GenerationTest, SampleGivesTheUsageTableWithSpaceOrTab) {
  EXPECT_EQ(tableFor(u"序号 字段名 注释\r\n1 file 文件\r\n2 path 路径", u"单选框2"), kSampleTable);
  EXPECT_EQ(cellStore(), R"({"test":[{"row":"1","column":"4,6,4"},{"row":"2","column":"1,4,4"},)"
                         R"({"row":"3","column":"1,4,4"}]})");
  EXPECT_EQ(tableFor(u"序号\t字段名\t注释\r\n1\tfile\t文件\r\n2\tpath\t路径\r\n", u"单选框1"), kSampleTable);
}

TEST_F(GenerationTest, WidthRuleFollowsTheRecordsReadBack) {
  EXPECT_EQ(tableFor(u"h1,h2\r\nlong-long,x\r\ny\r\nzz,wwwwwwww", u"单选框3"),
            "+------------+-----+\r\n| h1         | h2  |\r\n+------------+-----+\r\n"
            "| long-long  | x   |\r\n| y          |     |\r\n| zz         | wwwwwwww|\r\n"
            "+------------+-----+\r\n");
  EXPECT_EQ(cellStore(), R"({"test":[{"row":"1","column":"2,2"},{"row":"2","column":"9,1"},)"
                         R"({"row":"3","column":"1"},{"row":"4","column":"2,8"}]})");
}

TEST_F(GenerationTest, EmptyInputLeavesTheOutputEmpty) {
  EXPECT_EQ(tableFor(u"", u"单选框3"), "");
  EXPECT_EQ(tableFor(u"\r\n", u"单选框3"), "+\r\n|\r\n+\r\n");
  EXPECT_EQ(tableFor(u"a,b\r\n", u"单选框3"), "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n");
}

TEST_F(GenerationTest, BlankLineIsARowOfBlankCellsAndRepeatsTheLastLengths) {
  EXPECT_EQ(tableFor(u"ab,c\r\n\r\nd,ef", u"单选框3"),
            "+-----+-----+\r\n| ab  | c   |\r\n+-----+-----+\r\n|     |     |\r\n| d   | ef  |\r\n"
            "+-----+-----+\r\n");
  EXPECT_EQ(cellStore(), R"({"test":[{"row":"1","column":"2,1"},{"row":"2","column":"2,1"},)"
                         R"({"row":"3","column":"1,2"}]})");
}

TEST_F(GenerationTest, HostileCellsAreWrittenUnchanged) {
  EXPECT_EQ(tableFor(u"|,+-,'); da = {}; ('\r\n\"q\",\\,c:\\temp", u"单选框3"),
            "+------+-----+------------------+\r\n"
            "| |    | +-  | '); da = {}; ('  |\r\n"
            "+------+-----+------------------+\r\n"
            "| \"q\"  | \\   | c:\\temp          |\r\n"
            "+------+-----+------------------+\r\n");
  EXPECT_EQ(cellStore(), R"({"test":[{"row":"1","column":"1,2,15"},{"row":"2","column":"3,1,7"}]})");
}

// The list the Windows build runs through its own window too: the same bytes on both.
TEST_F(GenerationTest, SharedEndToEndCases) {
  for (const EndToEndCase& each : endToEndCases()) {
    SCOPED_TRACE(each.name);
    runWatch::forgetCellStore();
    setInput(each.input);
    choose(radioBoxFor(each.separator));
    press();
    waitForRuns(started_);
    EXPECT_EQ(output(), each.output);
    if (each.cellStore) {
      EXPECT_EQ(cellStore(), *each.cellStore);
    }
  }
}

TEST_F(GenerationTest, LatestPressWinsAndTheWindowAnswersDuringARun) {
  std::u16string big;
  for (int i = 0; i < 20000; ++i) big += u"字段" + std::u16string(1, u'a' + i % 26) + u",value,x\r\n";
  setInput(gbk(big));
  choose(u"单选框3");
  // Held once it has read its input, so the run is still going however fast the machine.
  runWatch::holdNextRun();
  press();
  waitFor(inputsRead, readsBefore_, 1);
  // While the big run goes, the window still takes clicks: the radio choice changes at once.
  choose(u"单选框1");
  EXPECT_TRUE(childNamed<QRadioButton>(window_, qs(u"单选框1"))->isChecked());
  EXPECT_FALSE(childNamed<QRadioButton>(window_, qs(u"单选框3"))->isChecked());
  EXPECT_EQ(runsEnded.load() - runsBefore_, 0) << "the big run should still be going";
  setInput(gbk(u"a\tb\r\nc\td"));
  press();
  runWatch::releaseHeldRun();
  waitForRuns(2);
  EXPECT_EQ(output(), "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n| c  | d  |\r\n+----+----+\r\n");
}

// A press during a run supersedes it: the run stops at its next line, before its recording
// pass ends, and writes nothing. The window shows the busy pointer, over its edit boxes too,
// until every run has ended, superseded ones included; then its usual pointers again.
TEST_F(GenerationTest, SupersededRunStopsAndTheBusyPointerShowsWhileRunsGo) {
  runWatch::holdNextRun();
  const int recordedBefore = runWatch::recordingsEnded;
  QWidget* outputArea = childNamed<QPlainTextEdit>(window_, qs(u"编辑框2"))->viewport();
  const Qt::CursorShape usualOutputPointer = outputArea->cursor().shape();
  setInput(gbk(u"a,b\r\nc,d\r\ne,f"));
  choose(u"单选框3");
  press();
  waitUntil([&] { return window_->cursor().shape() == Qt::BusyCursor; });
  EXPECT_EQ(window_->cursor().shape(), Qt::BusyCursor);
  EXPECT_EQ(outputArea->cursor().shape(), Qt::BusyCursor);
  setInput(gbk(u"x,y"));
  press();
  runWatch::releaseHeldRun();
  waitForRuns(2);
  EXPECT_EQ(runWatch::recordingsEnded - recordedBefore, 1) << "the superseded run went on with its recording pass";
  EXPECT_EQ(output(), "+----+----+\r\n| x  | y  |\r\n+----+----+\r\n");
  EXPECT_EQ(window_->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(outputArea->cursor().shape(), usualOutputPointer);
  EXPECT_EQ(usualOutputPointer, Qt::IBeamCursor);
}

// A run whose side threads the system refuses does their work itself: the same table, over
// many pieces and record batches, and the same store.
TEST_F(GenerationTest, WithoutSideThreadsARunWritesTheSameTable) {
  std::string input;
  for (int i = 0; i < 3000; ++i) input += "cell" + std::to_string(i) + (i % 7 == 0 ? "\r\n" : ",x" + std::to_string(i % 13) + "\r\n");
  setInput(input);
  choose(u"单选框3");
  press();
  waitForRuns(started_);
  const std::string table = output();
  const std::string store = cellStore();
  ASSERT_EQ(table.substr(0, 44), "+-----------+------+\r\n| cell0     |      |\r\n");

  // The worker is started here, so that only the run's own threads are refused.
  const uint32_t pressNumber = pressWithSeparator(TextValue::constant(","));
  writeContent(kMainWindow, kEditBox2, "");
  replaceThreadStart(refusingThreadStart);
  ++started_;
  std::thread worker([pressNumber] { runWatch::watchedWorkerEntry(pressNumber); });
  waitForRuns(started_);
  worker.join();
  replaceThreadStart(nullptr);
  EXPECT_EQ(output(), table);
  EXPECT_EQ(cellStore(), store);
}

// Text pasted from a web page: the no-break space is no separator, and becomes "?" through
// the code page, as in the Windows program (the same bytes in its window test).
TEST_F(GenerationTest, PastedNoBreakSpaceStaysInsideItsCell) {
  setInput("");
  childNamed<QPlainTextEdit>(window_, qs(u"编辑框1"))->insertPlainText(qs(u"张\u00a0三丰 25\n李四 30"));
  choose(u"单选框2");
  press();
  waitForRuns(started_);
  EXPECT_EQ(output(), gbk(u"+----------+-----+\r\n| 张?三丰  | 25  |\r\n+----------+-----+\r\n| 李四     | 30  |\r\n"
                          u"+----------+-----+\r\n"));
}

TEST_F(GenerationTest, QuickPressesEndWithTheLastPressTable) {
  setInput(gbk(u"x y\r\n1 2"));
  choose(u"单选框2");
  press();
  press();
  choose(u"单选框3");
  press();
  waitForRuns(3);
  EXPECT_EQ(output(), "+------+\r\n| x y  |\r\n+------+\r\n| 1 2  |\r\n+------+\r\n");
}

TEST_F(GenerationTest, TwoHundredPressesWhileTheChoiceChanges) {
  setInput(gbk(u"a b,c\td\r\n1 2,3\t4"));
  const char16_t* const radios[] = {u"单选框1", u"单选框2", u"单选框3"};
  for (int i = 0; i < 200; ++i) {
    choose(radios[i % 3]);
    press();
  }
  waitForRuns(200);
  // The last press had "空格" checked.
  EXPECT_EQ(output(), "+----+--------+\r\n| a  | b,c\td  |\r\n+----+--------+\r\n| 1  | 2,3\t4  |\r\n+----+--------+\r\n");
}

// The program's own click and worker, as the program binds them (the tests above follow their
// runs through a worker of their own): the table lands in the output box, and the busy
// pointer goes again once the run has ended.
TEST(ProgramWorker, TheProgramsClickWritesTheTableAndEndsItsRun) {
  // A loaded description keeps the handlers it was loaded with: dropped before and after, so
  // this window, and the next test's, bind their own.
  dropForm(kMainWindow);
  static const NamedHandler handlers[] = {{kStartButtonClickHandler, onStartButtonClick}};
  QWidget* window = openMainWindow(handlers);
  ASSERT_NE(window, nullptr);
  writeContent(kMainWindow, kEditBox1, "a,b\r\nc,d");
  QTest::mouseClick(childNamed<QRadioButton>(window, qs(u"单选框3")), Qt::LeftButton);
  QTest::mouseClick(childNamed<QPushButton>(window, qs(u"按钮1")), Qt::LeftButton);
  const std::string table = "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n| c  | d  |\r\n+----+----+\r\n";
  const auto output = [] { return std::string(readContent(kMainWindow, kEditBox2).c_str()); };
  waitUntil([&] { return output() == table && window->cursor().shape() == Qt::ArrowCursor; });
  EXPECT_EQ(output(), table);
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
  closeMainWindowForm();
  dropForm(kMainWindow);
}

}  // namespace

namespace {

// Inputs a person could paste that are hard on the tool: they must give exactly the table the
// rules predict.
class HostileInputTest : public GenerationTest {};

TEST_F(HostileInputTest, CharactersTheCodePageLacksAndBrokenBytes) {
  // U+2400 (the cell store's stand-in for a backslash) and an emoji are not in GBK: they are
  // read back as "?", and a lone lead byte written into the box comes back as "?" too.
  EXPECT_EQ(tableFor(u"\u2400,😀\r\nx", u"单选框3"), "+----+----+\r\n| ?  | ?  |\r\n+----+----+\r\n| x  |    |\r\n+----+----+\r\n");
  setInput("a,b\x81");
  choose(u"单选框3");
  press();
  waitForRuns(started_);
  EXPECT_EQ(output(), "+----+-----+\r\n| a  | b?  |\r\n+----+-----+\r\n");
}

// Pasted as a person pastes: the clipboard, then Ctrl+V into the input box.
void pasteIntoInput(QWidget* window, const QString& text) {
  auto* input = childNamed<QPlainTextEdit>(window, qs(u"编辑框1"));
  input->clear();
  QGuiApplication::clipboard()->setText(text);
  input->setFocus();
  QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
}

// A NUL cannot stand inside a text: each reads as "?" and nothing after it is lost.
TEST_F(HostileInputTest, PastedNulsReadAsQuestionMarks) {
  const QChar nul(0);
  pasteIntoInput(window_, QStringLiteral("a") + nul + QStringLiteral("b,c\nd,") + nul + QStringLiteral("\ne") + nul +
                              QStringLiteral(",f") + nul + QStringLiteral("g"));
  choose(u"单选框3");
  press();
  waitForRuns(started_);
  EXPECT_EQ(output(), "+------+------+\r\n| a?b  | c    |\r\n+------+------+\r\n| d    | ?    |\r\n"
                      "| e?   | f?g  |\r\n+------+------+\r\n");
}

TEST_F(HostileInputTest, OnlySeparatorsAndOnlyLineBreaks) {
  EXPECT_EQ(tableFor(u",,,", u"单选框3"), "+---+---+---+\r\n|   |   |   |\r\n+---+---+---+\r\n");
  EXPECT_EQ(tableFor(u"\r\n\r\n\r\n", u"单选框3"), "+\r\n|\r\n+\r\n|\r\n|\r\n+\r\n");
  EXPECT_EQ(tableFor(u"\t\t\r\n", u"单选框1"), "+---+---+\r\n|   |   |\r\n+---+---+\r\n");
}

TEST_F(HostileInputTest, HundredThousandColumns) {
  // 100,000 one-letter columns on one line.
  std::u16string wide;
  for (int i = 0; i < 100000; ++i) wide += i == 0 ? u"a" : u",a";
  std::string expectedRule = "+";
  std::string expectedRow = "|";
  for (int i = 0; i < 100000; ++i) {
    expectedRule += "----+";
    expectedRow += " a  |";
  }
  EXPECT_EQ(tableFor(wide, u"单选框3"), expectedRule + "\r\n" + expectedRow + "\r\n" + expectedRule + "\r\n");
}

// The toolkit lays a megabytes-long line out in one piece, its every allocation slowed by
// ThreadSanitizer's: minutes on a loaded machine, for threads that do what they do in any run.
// That build leaves this case to the others.
constexpr bool kLongLinesTooSlowHere =
#if defined(CELLBRAE_SANITIZE_THREAD)
    true;
#else
    false;
#endif

TEST_F(HostileInputTest, TenMegabyteLine) {
  if (kLongLinesTooSlowHere) GTEST_SKIP() << "the toolkit's layout of a 10 MB line under ThreadSanitizer";
  const std::u16string line(10 * 1024 * 1024, u'x');
  const std::string table = tableFor(line, u"单选框3");
  const std::string rule = "+" + std::string(line.size() + 3, '-') + "+\r\n";
  ASSERT_EQ(table.size(), 2 * rule.size() + line.size() + 7);
  EXPECT_EQ(table.compare(0, rule.size(), rule), 0);
  EXPECT_EQ(table.compare(rule.size(), 2, "| "), 0);
  EXPECT_EQ(table.compare(table.size() - rule.size() - 5, 5, "  |\r\n"), 0);
}

// A million short lines takes about a minute and is left out of the default run; run it with
// --gtest_also_run_disabled_tests --gtest_filter='*Million*'.
TEST_F(HostileInputTest, DISABLED_MillionShortLines) {
  std::string input;
  for (int i = 0; i < 1000000; ++i) input += i % 2 ? "ab,c\r\n" : "d,ef\r\n";
  setInput(input);
  choose(u"单选框3");
  press();
  waitForRuns(started_);
  std::string expected = "+-----+-----+\r\n| d   | ef  |\r\n+-----+-----+\r\n";
  for (int i = 1; i < 1000000; ++i) expected += i % 2 ? "| ab  | c   |\r\n" : "| d   | ef  |\r\n";
  expected += "+-----+-----+\r\n";
  EXPECT_EQ(output(), expected);
}

}  // namespace
