// The clocks a stall watch reads, on Windows.
#include <windows.h>
#include <winternl.h>

#include <vector>

#include "tests/stall_watch.h"

double wallSeconds() { return static_cast<double>(GetTickCount64()) / 1000; }

namespace {
// The kernel and user time the system gives back, in 100 ns ticks.
double secondsOf(const FILETIME& kernel, const FILETIME& user) {
  const auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}
}  // namespace

double ownProcessorSeconds() {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  return secondsOf(kernel, user);
}

double threadProcessorSeconds() {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  return secondsOf(kernel, user);
}

// Another process's times come from the system's process list: Wine answers GetProcessTimes
// for another process with figures that never change.
double childProcessorSeconds(intptr_t child) {
  using Query = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  static const auto query =
      reinterpret_cast<Query>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  const DWORD id = GetProcessId(reinterpret_cast<HANDLE>(child));
  if (query == nullptr || id == 0) return 0;
  std::vector<char> list(size_t{1} << 20);
  for (ULONG needed = 0; query(SystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &needed) != 0;) {
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
