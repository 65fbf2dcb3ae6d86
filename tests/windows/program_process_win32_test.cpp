// The Windows program as a process under Wine, seen from another process the way a user
// sees it: closing the real cellbrae.exe ends it with 0; a fatal error shows the system's
// message box, owned by no window, with the exact caption and text, and OK ends the process
// with -1. Narrow literals here are GBK.
#include <gtest/gtest.h>

#include <string>

#include "tests/windows/win32_window_support.h"

namespace {

// A started program; the handles are closed, and a program still running is ended, at scope exit.
class Child {
 public:
  explicit Child(const char* nameBesideTests, const char* argument = nullptr) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    path.resize(path.find_last_of('\\') + 1);
    for (const char* c = nameBesideTests; *c != '\0'; ++c) path += *c == '/' ? '\\' : *c;
    std::string commandLine = "\"" + path + "\"";
    if (argument != nullptr) commandLine += std::string(" ") + argument;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != 0;
  }
  ~Child() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 3);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return started_; }

  // The first top-level window of the program with this class and caption; null when none
  // shows up while the program runs (a guard against hanging, not a measure of speed).
  HWND waitForWindow(const char* windowClass, const char* caption) {
    for (int attempt = 0; attempt < 1500; ++attempt) {
      const std::vector<HWND> found = topLevelWindows(info_.dwProcessId, windowClass, caption);
      if (!found.empty() && IsWindowVisible(found.front())) return found.front();
      if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }

  // The exit code once the program has ended; STILL_ACTIVE when it does not end.
  DWORD exitCode() {
    WaitForSingleObject(info_.hProcess, 30000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

TEST(ProgramProcess, ClosingTheWindowEndsWithZero) {
  Child program(CELLBRAE_PROGRAM_FROM_TESTS);
  ASSERT_TRUE(program.started());
  HWND window = program.waitForWindow(kWindowClass, "Cellbrae");
  ASSERT_NE(window, nullptr);
  HWND output = controlNamed(window, "编辑框2");
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(windowText(output), kUsageTextGbk);
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

void expectFatalBox(const char* mode, const char* locator) {
  Child program("fatal_error_program.exe", mode);
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
  EXPECT_EQ(read.text, std::string("运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n") +
                           locator + "\r\n");
  EXPECT_TRUE(read.hasIcon);  // which icon: see the in-process box test
  EXPECT_EQ(read.textId, 0xFFFF);
  EXPECT_EQ(read.owner, nullptr);
  EXPECT_EQ(read.okText, "确定");
  // -1 as the process's 32-bit exit code.
  EXPECT_EQ(program.exitCode(), 0xFFFFFFFFu);
}

TEST(ProgramProcess, FatalErrorOnTheMainThreadShowsTheBoxAndEndsWithMinusOne) { expectFatalBox("main", "12, 34"); }

// The worker hands its end to the main thread, which shows the box and ends the process.
TEST(ProgramProcess, FatalErrorOnAWorkerShowsTheBoxAndEndsWithMinusOne) { expectFatalBox("worker", "56, 78"); }

}  // namespace
