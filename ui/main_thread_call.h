// Running a piece of work on the main thread, which owns every control, and waiting for it.
// A worker's call waits until the main thread has run it, as a sent window message does, so
// the work is ordered with every click and every other control access.
#pragma once

#include <type_traits>
#include <utility>

// Runs call(context) on the main thread and returns once it has run; on the main thread it
// runs at once. False, without running it, once the message loop has ended.
bool runOnMainThread(void (*call)(void* context), void* context);

// The same for any callable; it runs on the main thread while the caller waits.
template <class Work>
bool runOnMainThread(Work&& work) {
  using Stored = std::remove_reference_t<Work>;
  return runOnMainThread([](void* context) { (*static_cast<Stored*>(context))(); },
                         static_cast<void*>(std::addressof(work)));
}

// True on the thread that started the window system.
bool isMainThread();
