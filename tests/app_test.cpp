// The program's frame as whole processes: each death test runs the real start-up, loop and
// end in a child process and judges it by its exit code and what it left on stderr.
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/fatal_error_box.h"
#include "app/globals.h"
#include "app/program.h"
#include "table/press.h"
#include "runtime/array_value.h"
#include "runtime/exit_routines.h"
#include "platform/threads.h"
#include "runtime/thread_commands.h"
#include "tests/run_watch.h"
#include "tests/window_test_support.h"
#include "ui/control_property.h"
#include "ui/main_window.h"

namespace {

using ::testing::AllOf;
using ::testing::ExitedWithCode;
using ::testing::HasSubstr;
using ::testing::Not;

void say(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

// Registered after releaseGlobals, so it sees the separator as the end left it.
void reportSeparator() { say(beginRun().separator.isNull() ? "separator released\n" : "separator kept\n"); }
void reportExitRoutines() { say("exit routines ran\n"); }

void closeMainWindow() {
  if (QWidget* window = topLevelTitled(u"Cellbrae")) window->close();
}

// Nothing a sanitizer or the default error path would print.
auto quietEnd() {
  return AllOf(Not(HasSubstr("Sanitizer")), Not(HasSubstr(gbk(u"运行时出错"))));
}

std::string boxReport(std::u16string_view text) {
  return gbk(u"box caption: 错误\nbox icon: error\nbox text: ") + gbk(text);
}

TEST(ProgramDeathTest, ClosingTheWindowEndsWithZeroAfterTheExitRoutines) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        pressWithSeparator(TextValue::copyOf("\t"));
        QTimer::singleShot(0, [] {
          registerExitRoutine(reportSeparator);
          closeMainWindow();
        });
        endProgram(runProgram());
      },
      ExitedWithCode(0), AllOf(HasSubstr("separator released\n"), quietEnd()));
}

std::atomic<int> reads{0};
[[noreturn]] void readInputForever(intptr_t) {
  for (;;) {
    readContent(unitId::kMainWindow, unitId::kEditBox1);
    ++reads;
  }
}

TEST(ProgramDeathTest, ClosingWhileAWorkerReadsEndsAtOnceWithZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        QTimer::singleShot(0, [] { startThread(readInputForever); });
        auto* closer = new QTimer(qApp);
        QObject::connect(closer, &QTimer::timeout, [] {
          if (reads.load() >= 20) closeMainWindow();
        });
        closer->start(1);
        endProgram(runProgram());
      },
      ExitedWithCode(0), quietEnd());
}

// Closing the window while a real run records a big input: the program ends with 0 without
// waiting for the run, and the run touches nothing released after the end. The exit routines run a
// few milliseconds after the close, and recording the input takes tens of times that on any
// machine and under any load (both slow down together), so the run is still recording then.
void reportWhetherTheRunHasEnded() {
  say(runWatch::recordingsEnded.load() == 0 ? "the run was still recording at the end\n" : "the run had ended\n");
}
// The run's worker counts the read; the main thread sees it on its next timer tick and closes
// the window there, as a user would.
void closeWhenTheRunHasReadItsInput() {
  auto* watch = new QTimer(qApp);
  QObject::connect(watch, &QTimer::timeout, [watch] {
    if (runWatch::inputsRead.load() == 0) return;
    watch->stop();
    closeMainWindow();
  });
  watch->start(1);
}

TEST(ProgramDeathTest, ClosingInTheMiddleOfARunEndsWithZeroAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        registerExitRoutine(reportWhetherTheRunHasEnded);
        closeWhenTheRunHasReadItsInput();
        QTimer::singleShot(0, [] {
          std::string input;
          for (int i = 0; i < 50000; ++i) input += "abc,def,ghi\r\n";
          writeContent(unitId::kMainWindow, unitId::kEditBox1, input.c_str());
          QTest::mouseClick(topLevelTitled(u"Cellbrae")->findChild<QPushButton*>(qs(u"按钮1")), Qt::LeftButton);
        });
        endProgram(runProgramFrom(MainWindow, runWatch::kWatchedHandlers));
      },
      ExitedWithCode(0), AllOf(HasSubstr("the run was still recording at the end\n"), quietEnd()));
}

void indexPastTheEnd(intptr_t) {
  ArrayValue one = ArrayValue::ofSize(1, ElementType::Int);
  one.intAt(2, ErrorSite(11, 22));
}

TEST(ProgramDeathTest, FatalErrorOnAWorkerShowsTheBoxOnTheMainThreadAndEndsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        answerErrorBoxWhenShown();
        registerExitRoutine(reportExitRoutines);
        QTimer::singleShot(0, [] { startThread(indexPastTheEnd); });
        endProgram(runProgram());
      },
      ExitedWithCode(255),
      AllOf(HasSubstr(boxReport(u"运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"
                                u"\r\n11, 22\r\n\nbox end\nexit routines ran\n")),
            Not(HasSubstr("Sanitizer"))));
}

TEST(ProgramDeathTest, FatalErrorOnTheMainThreadShowsTheBoxThere) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        answerErrorBoxWhenShown();
        QTimer::singleShot(0, [] { indexPastTheEnd(0); });
        endProgram(runProgram());
      },
      ExitedWithCode(255),
      AllOf(HasSubstr(boxReport(u"运行时出错!\r\n\r\n错误代码：1\r\n")), HasSubstr(gbk(u"\r\n11, 22\r\n\nbox end\n")),
            Not(HasSubstr("Sanitizer"))));
}

// An allocation the toolkit checks itself throws std::bad_alloc, which nothing catches: the
// program ends with the box, not in an abort. The throw here is the toolkit's own.
TEST(ProgramDeathTest, AnAllocationTheToolkitRefusesShowsTheBox) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        answerErrorBoxWhenShown();
        QTimer::singleShot(0, [] { []() noexcept { qBadAlloc(); }(); });
        endProgram(runProgram());
      },
      ExitedWithCode(255),
      AllOf(HasSubstr(boxReport(u"运行时出错!\r\n\r\n错误信息：分配内存失败!\r\n\r\n")), HasSubstr("\nbox end\n"),
            Not(HasSubstr("terminate called")), Not(HasSubstr("Sanitizer"))));
}

// A press whose run cannot start says so, rather than leaving the output box empty.
TEST(ProgramDeathTest, RefusedWorkerThreadShowsTheBoxAndEndsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        answerErrorBoxWhenShown();
        registerExitRoutine(reportExitRoutines);
        replaceThreadStart(refusingThreadStart);
        QTimer::singleShot(0, [] {
          writeContent(unitId::kMainWindow, unitId::kEditBox1, "a,b");
          QTest::mouseClick(topLevelTitled(u"Cellbrae")->findChild<QPushButton*>(qs(u"按钮1")), Qt::LeftButton);
        });
        endProgram(runProgram());
      },
      ExitedWithCode(255),
      AllOf(HasSubstr(boxReport(u"运行时出错!\r\n\r\n错误信息：创建工作线程失败!\r\n\r\n")),
            HasSubstr("\nbox end\nexit routines ran\n"), Not(HasSubstr("Sanitizer"))));
}

// The address space the process has mapped now, in bytes.
size_t mappedNow() {
  size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// A paste the memory left cannot hold ends as every refused allocation does, with the box
// and exit code 255, never inside the toolkit, which does not check its own allocations; a
// paste it can hold goes in whole.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Pastes a million lines (40 MB as the box holds them) into the input box with `room` MiB of
// address space left to the process, and closes the window once the paste has gone in.
void pasteAMillionLinesWithRoom(rlim_t room) {
  installFatalErrorBox();
  answerErrorBoxWhenShown();
  QTimer::singleShot(0, [room] {
    QString text;
    for (int line = 0; line < 1000000; ++line) text += QString::number(line) + QStringLiteral(",field,字段\n");
    QGuiApplication::clipboard()->setText(text);
    text.clear();
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = mappedNow() + (room << 20);
    setrlimit(RLIMIT_AS, &limit);
    auto* input = topLevelTitled(u"Cellbrae")->findChild<QPlainTextEdit*>(qs(u"编辑框1"));
    input->setFocus();
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    auto* closer = new QTimer(qApp);
    // Stopped before the window goes: a tick after it would ask a box that is no more.
    QObject::connect(closer, &QTimer::timeout, [input, closer] {
      if (input->isReadOnly()) return;
      closer->stop();
      say("pasted\n");
      closeMainWindow();
    });
    closer->start(1);
  });
  endProgram(runProgram());
}

TEST(ProgramDeathTest, APasteTooBigForTheMemoryLeftShowsTheBox) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(pasteAMillionLinesWithRoom(120), ExitedWithCode(255),
              AllOf(HasSubstr(gbk(u"字节内存失败")), Not(HasSubstr("pasted"))));
  EXPECT_EXIT(pasteAMillionLinesWithRoom(400), ExitedWithCode(0), AllOf(HasSubstr("pasted\n"), quietEnd()));
}
#endif

TEST(ProgramDeathTest, UnloadableDescriptionShowsTheBoxAndEndsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The description binds "onStartButtonClick", which this program does not supply.
  EXPECT_EXIT(
      {
        installFatalErrorBox();
        answerErrorBoxWhenShown();
        registerExitRoutine(reportExitRoutines);
        endProgram(runProgramFrom(MainWindow, {}));
      },
      ExitedWithCode(255),
      AllOf(HasSubstr(boxReport(u"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n")),
            HasSubstr("exit routines ran\n"), Not(HasSubstr("Sanitizer"))));
}

}  // namespace
