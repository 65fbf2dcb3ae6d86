// A program started from a test as a person starts it, watched from outside: its windows as
// they appear, and its exit code. Shared by the tests that run the real cellbrae.exe.
#pragma once

#include <windows.h>

#include <string>

#include "tests/stall_watch.h"
#include "tests/windows/win32_window_support.h"

// The Windows path of a file given relative to this test program, with '/' between parts.
inline std::string besideTests(const std::string& relative) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self);
  path.resize(path.find_last_of('\\') + 1);
  for (const char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

// Waits for a process to end; false when it stops working first (a hang), however slow or
// busy the machine. The handle needs SYNCHRONIZE and PROCESS_QUERY_LIMITED_INFORMATION.
inline bool waitWhileWorking(HANDLE process) {
  StallWatch watch;
  while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT) {
    if (watch.childStalled(reinterpret_cast<intptr_t>(process))) return false;
  }
  return true;
}

// A started program; the handles are closed, and a program still running is ended, at scope exit.
class Child {
 public:
  explicit Child(const std::string& program, const std::string& arguments = "") {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_) != 0;
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
  DWORD id() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }

  // The first top-level window of the program with this class and caption; null when the
  // program ends, or stops working, without showing one.
  HWND waitForWindow(const char* windowClass, const char* caption) {
    StallWatch watch;
    do {
      const std::vector<HWND> found = topLevelWindows(info_.dwProcessId, windowClass, caption);
      if (!found.empty() && IsWindowVisible(found.front())) return found.front();
      if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
    } while (!stalled(watch));
    return nullptr;
  }

  // True once the program has stopped working (a hang) over a whole stretch of the watch.
  bool stalled(StallWatch& watch) const { return watch.childStalled(reinterpret_cast<intptr_t>(info_.hProcess)); }

  // The exit code once the program has ended; STILL_ACTIVE when it stops working first.
  DWORD exitCode() {
    waitWhileWorking(info_.hProcess);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};
