// The thread table the program uses: the backend's, with a start that a test may replace
// while threads are being started on other threads, so the replacement is read atomically.
#include <atomic>

#include "platform/shared/thread_backend.h"

namespace {

std::atomic<ThreadStart> replacedStart{nullptr};

PlatformThread* startInUse(ThreadRoutine routine, intptr_t parameter) {
  const ThreadStart replaced = replacedStart.load();
  return replaced != nullptr ? replaced(routine, parameter) : threadBackend().start(routine, parameter);
}

bool waitInUse(PlatformThread* thread, int32_t timeoutMs) { return threadBackend().wait(thread, timeoutMs); }

void closeInUse(PlatformThread* thread) { threadBackend().close(thread); }

const ThreadSystem kThreadsInUse{.start = startInUse, .wait = waitInUse, .close = closeInUse};

}  // namespace

const ThreadSystem& platformThreads() { return kThreadsInUse; }

ThreadStart replaceThreadStart(ThreadStart start) {
  const ThreadStart previous = replacedStart.exchange(start);
  return previous != nullptr ? previous : threadBackend().start;
}

PlatformThread* refusingThreadStart(ThreadRoutine, intptr_t) { return nullptr; }
