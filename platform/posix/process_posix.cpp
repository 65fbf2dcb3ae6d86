// The process over POSIX and glibc. At the start, glibc's mmap and trim thresholds are fixed;
// at the end, the process ends at once, without running static destructors while workers may
// still be using what they would destroy. The leak check that a normal exit would run under
// LeakSanitizer is run here first, so leaks still fail the run.
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/process.h"

// Present only in LeakSanitizer builds (ASan included); elsewhere the weak reference is null.
extern "C" __attribute__((weak)) int __lsan_do_recoverable_leak_check();

namespace {

constexpr int kLeakExitCode = 23;  // what LeakSanitizer itself exits with

// The interpreter's heap takes memory in 1 MiB chunks and frees them all when its engine
// ends. glibc maps a block from the system, and unmaps it when freed, only from its mmap
// threshold up, and it raises that threshold to the size of any mapped block freed: after one
// multi-megabyte text, chunks come from an arena instead, which keeps what they held. A fixed
// threshold below the chunk size keeps them mapped.
constexpr int kMapThreshold = 512 * 1024;
// Fixing the threshold also leaves the arenas giving back any free top above 128 KiB, and the
// recording pass then shrinks and regrows one tens of thousands of times (a third slower in
// the benchmark, all of it in page faults). A few megabytes kept per arena cost nothing.
constexpr int kTrimThreshold = 8 * 1024 * 1024;

void start() {
  mallopt(M_MMAP_THRESHOLD, kMapThreshold);
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}

// Free chunks inside the arenas too, not only their tops: a cell store's strings and the
// records' texts leave holes all through them.
void giveBackFreeMemory() { malloc_trim(0); }

bool enterProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return false;
  path.resize(static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return false;
  path.resize(slash == 0 ? 1 : slash);
  return chdir(path.c_str()) == 0;
}

void exitProcess(int32_t exitCode) {
  std::fflush(nullptr);
  if (__lsan_do_recoverable_leak_check != nullptr && __lsan_do_recoverable_leak_check() != 0) {
    _exit(kLeakExitCode);
  }
  _exit(exitCode);
}

const ProcessSystem kPosixProcess{
    .start = start,
    .giveBackFreeMemory = giveBackFreeMemory,
    .enterProgramFolder = enterProgramFolder,
    .exit = exitProcess,
};

}  // namespace

const ProcessSystem& platformProcess() { return kPosixProcess; }
