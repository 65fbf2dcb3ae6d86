// The process over KERNEL32. The program's folder is found and entered through the UTF-16
// calls: an ANSI path loses every character the code page lacks, and a GBK trail byte can
// be 0x5C, so cutting an ANSI path at its last backslash can cut a character in half.
#include <windows.h>

#include <malloc.h>

#include <cstdio>
#include <string>

#include "platform/process.h"

namespace {

// The full path of the program file; empty when the system does not give it.
std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};  // longer than any Windows path
    path.resize(path.size() * 2);
  }
}

// The system's heap gives big blocks back by itself.
void start() {}

// The C runtime's heap keeps freed blocks for reuse; _heapmin decommits what it can.
void giveBackFreeMemory() { _heapmin(); }

bool enterProgramFolder() {
  std::wstring path = programPath();
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return false;
  // The root keeps its backslash: "C:" alone would mean that drive's current directory.
  path.resize(slash == 0 || (slash == 2 && path[1] == L':') ? slash + 1 : slash);
  return SetCurrentDirectoryW(path.c_str()) != 0;
}

void exitProcess(int32_t exitCode) {
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(exitCode));
}

const ProcessSystem kWin32Process{
    .start = start,
    .giveBackFreeMemory = giveBackFreeMemory,
    .enterProgramFolder = enterProgramFolder,
    .exit = exitProcess,
};

}  // namespace

const ProcessSystem& platformProcess() { return kWin32Process; }
