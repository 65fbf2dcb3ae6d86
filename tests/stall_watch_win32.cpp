// The clocks a stall watch reads, on Windows.
#include <windows.h>
#include <winternl.h>

#include <vector>

#include "tests/stall_watch.h"

double wallSeconds() { return static_cast<double>(GetTickCount64()) / 1000; }

namespace {
// The kernel and user time the system gives for a process or a thread, in seconds.
using TimesQuery = BOOL(WINAPI*)(HANDLE, LPFILETIME, LPFILETIME, LPFILETIME, LPFILETIME);
double secondsOf(TimesQuery query, HANDLE handle) {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!query(handle, &created, &ended, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& time) {  // 100 ns
    return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}
}  // namespace

double ownProcessorSeconds() { return secondsOf(GetProcessTimes, GetCurrentProcess()); }
double threadProcessorSeconds() { return secondsOf(GetThreadTimes, GetCurrentThread()); }

// Another process's times come from the system's process list: Wine answers GetProcessTimes
// for another process with figures that never change.
double childProcessorSeconds(intptr_t child) {
  const DWORD id = GetProcessId(reinterpret_cast<HANDLE>(child));
  if (id == 0) return 0;
  std::vector<char> list(size_t{1} << 20);
  ULONG needed = 0;
  while (NtQuerySystemInformation(SystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &needed) != 0) {
    if (list.size() >= (size_t{64} << 20)) return 0;
    list.resize(list.size() * 2);
  }
  for (size_t at = 0;;) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(list.data() + at);
    if (reinterpret_cast<uintptr_t>(process->UniqueProcessId) == id) {
      return static_cast<double>(process->UserTime.QuadPart + process->KernelTime.QuadPart) / 1e7;
    }
    if (process->NextEntryOffset == 0) return 0;
    at += process->NextEntryOffset;
  }
}
