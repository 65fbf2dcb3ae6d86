// The Windows program as a process under Wine, seen from another process the way a user
// sees it: closing the real cellbrae.exe ends it with 0; a fatal error shows the system's
// message box, owned by no window, with the exact caption and text, and OK ends the process
// with -1. Narrow literals here are GBK.
#include <gtest/gtest.h>

#include <string>

#include "tests/stall_watch.h"
#include "tests/windows/child_process.h"
#include "tests/windows/refused_memory.h"
#include "tests/windows/win32_window_support.h"

namespace {

TEST(ProgramProcess, ClosingTheWindowEndsWithZero) {
  Child program(besideTests(CELLBRAE_PROGRAM_FROM_TESTS));
  ASSERT_TRUE(program.started());
  HWND window = program.waitForWindow(kWindowClass, "Cellbrae");
  ASSERT_NE(window, nullptr);
  HWND output = controlNamed(window, "编辑框2");
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(windowText(output), kUsageTextGbk);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(), 0u);
}

// Runs one after another, a run superseded by a quick second press, then a close while a long
// run goes: each time the program ends with 0, without waiting for the run, and without
// hanging in its end (a worker's end once left a lock held that exit() then waited on).
TEST(ProgramProcess, EndsWithZeroAfterRunsSupersededRunsAndACloseDuringARun) {
  Child program(besideTests(CELLBRAE_PROGRAM_FROM_TESTS));
  ASSERT_TRUE(program.started());
  HWND window = program.waitForWindow(kWindowClass, "Cellbrae");
  ASSERT_NE(window, nullptr);
  HWND input = controlNamed(window, "编辑框1");
  HWND output = controlNamed(window, "编辑框2");
  HWND button = controlNamed(window, "按钮1");
  ASSERT_TRUE(input != nullptr && output != nullptr && button != nullptr);
  SendMessageA(controlNamed(window, "单选框3"), BM_CLICK, 0, 0);
  const auto tableOf = [&](const char* text, int presses) {
    SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    for (int i = 0; i < presses; ++i) SendMessageA(button, BM_CLICK, 0, 0);
    StallWatch watch;
    std::string table;
    while ((table = windowText(output)).empty() && !program.stalled(watch)) Sleep(20);
    return table;
  };
  EXPECT_EQ(tableOf("a,b", 1), "+----+----+\r\n| a  | b  |\r\n+----+----+\r\n");
  EXPECT_EQ(tableOf("c", 3), "+----+\r\n| c  |\r\n+----+\r\n");
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "序号,字段名,注释\r\n";
  SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(big.c_str()));
  SendMessageA(button, BM_CLICK, 0, 0);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(), 0u);
}

struct ErrorBox {
  std::string caption;
  std::string text;
  int textId = 0;
  bool hasIcon = false;
  std::string okText;
  HWND owner = nullptr;
};

// Reads the box's parts, then presses its OK button.
ErrorBox readAndPressOk(HWND box) {
  ErrorBox read;
  char caption[256] = {};
  GetWindowTextA(box, caption, sizeof caption);
  read.caption = caption;
  read.owner = GetWindow(box, GW_OWNER);
  for (HWND child : descendants(box)) {
    if (className(child) != "Static") continue;
    if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      read.hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
    } else if (SendMessageA(child, WM_GETTEXTLENGTH, 0, 0) > 0) {
      read.text = windowText(child);
      read.textId = GetDlgCtrlID(child);
    }
  }
  HWND ok = GetDlgItem(box, IDOK);
  read.okText = ok != nullptr ? windowText(ok) : "";
  if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
  return read;
}

void expectFatalBox(const char* mode, const std::string& text) {
  Child program(besideTests("fatal_error_program.exe"), mode);
  ASSERT_TRUE(program.started());
  HWND window = program.waitForWindow(kWindowClass, "Cellbrae");
  ASSERT_NE(window, nullptr);
  HWND button = controlNamed(window, "按钮1");
  ASSERT_NE(button, nullptr);
  PostMessageA(button, BM_CLICK, 0, 0);
  HWND box = program.waitForWindow("#32770", "错误");
  ASSERT_NE(box, nullptr);
  const ErrorBox read = readAndPressOk(box);
  EXPECT_EQ(read.caption, "错误");
  EXPECT_EQ(read.text, text);
  EXPECT_TRUE(read.hasIcon);  // which icon: see the in-process box test
  EXPECT_EQ(read.textId, 0xFFFF);
  EXPECT_EQ(read.owner, nullptr);
  EXPECT_EQ(read.okText, "确定");
  // -1 as the process's 32-bit exit code.
  EXPECT_EQ(program.exitCode(), 0xFFFFFFFFu);
}

std::string indexErrorText(const char* locator) {
  return std::string("运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n") + locator + "\r\n";
}

std::string failedAllocationText(size_t size) {
  return "运行时出错!\r\n\r\n错误信息：分配 " + std::to_string(size) + " 字节内存失败!\r\n\r\n0, 0\r\n";
}

TEST(ProgramProcess, FatalErrorOnTheMainThreadShowsTheBoxAndEndsWithMinusOne) {
  expectFatalBox("main", indexErrorText("12, 34"));
}

// The worker hands its end to the main thread, which shows the box and ends the process.
TEST(ProgramProcess, FatalErrorOnAWorkerShowsTheBoxAndEndsWithMinusOne) {
  expectFatalBox("worker", indexErrorText("56, 78"));
}

// A refusal of the C++ heap, or of the script engine, on a run's worker ends the program as
// its own failed allocations do, before the worker can go on without what it asked for.
TEST(ProgramProcess, MemoryRefusedOnAWorkerShowsTheAllocationBoxAndEndsWithMinusOne) {
  {
    SCOPED_TRACE("the heap");
    expectFatalBox("heap", failedAllocationText(kRefusedHeapBlock));
  }
  {
    SCOPED_TRACE("the script engine");
    expectFatalBox("engine", failedAllocationText(engineRefusalSize()));
  }
}

}  // namespace
