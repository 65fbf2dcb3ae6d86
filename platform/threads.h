// Operating-system threads, as the worker-thread command needs them: start a routine on a
// new thread that runs at once, and a handle that can be waited on or closed. Closing a
// handle never stops its thread.
#pragma once

#include <cstdint>

using ThreadRoutine = void (*)(intptr_t parameter);
struct PlatformThread;  // opaque, owned by whoever holds the handle

struct ThreadSystem {
  // Starts routine(parameter) on a new thread; null when the system refuses one.
  PlatformThread* (*start)(ThreadRoutine routine, intptr_t parameter);
  // Waits up to timeoutMs (negative: forever) for the thread to end; true once it has ended.
  bool (*wait)(PlatformThread* thread, int32_t timeoutMs);
  // Closes the handle; the thread runs on. A null handle is ignored.
  void (*close)(PlatformThread* thread);
};

// The threads in use: the backend chosen at build time, unless its start is replaced.
const ThreadSystem& platformThreads();

// Puts `start` in place of the backend's thread start (null: the backend's own again) and
// returns the one replaced, so that a test can make the system refuse a thread. Any thread.
using ThreadStart = PlatformThread* (*)(ThreadRoutine routine, intptr_t parameter);
ThreadStart replaceThreadStart(ThreadStart start);
// A start that refuses every thread, to put in place with replaceThreadStart.
PlatformThread* refusingThreadStart(ThreadRoutine routine, intptr_t parameter);
