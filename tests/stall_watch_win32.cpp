// The clocks a stall watch reads, on Windows.
#include <windows.h>

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

double processorSecondsOf(HANDLE process) {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  return secondsOf(kernel, user);
}
}  // namespace

double ownProcessorSeconds() { return processorSecondsOf(GetCurrentProcess()); }
double threadProcessorSeconds() {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  return secondsOf(kernel, user);
}
double childProcessorSeconds(intptr_t child) { return processorSecondsOf(reinterpret_cast<HANDLE>(child)); }
