// The clocks a stall watch reads, on Linux.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/stall_watch.h"

namespace {
double secondsOf(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
}  // namespace

double wallSeconds() { return secondsOf(CLOCK_MONOTONIC); }
double ownProcessorSeconds() { return secondsOf(CLOCK_PROCESS_CPUTIME_ID); }
double threadProcessorSeconds() { return secondsOf(CLOCK_THREAD_CPUTIME_ID); }

double childProcessorSeconds(intptr_t child) {
  // /proc/PID/stat: the command's name stands in parentheses and may hold spaces; user and
  // system time are the 12th and 13th fields after it, in clock ticks.
  FILE* file = std::fopen(("/proc/" + std::to_string(child) + "/stat").c_str(), "r");
  if (file == nullptr) return 0;
  char line[1024] = {};
  const size_t size = std::fread(line, 1, sizeof line - 1, file);
  std::fclose(file);
  const std::string stat(line, size);
  const size_t nameEnd = stat.rfind(')');
  unsigned long user = 0;
  unsigned long system = 0;
  if (nameEnd == std::string::npos ||
      std::sscanf(stat.c_str() + nameEnd + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                  &system) != 2) {
    return 0;
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
