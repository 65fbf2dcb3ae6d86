// Threads over CreateThread: the routine starts at once with default security and stack,
// and the handle the kernel gives back is the one waited on and closed.
#include <windows.h>

#include <new>

#include "platform/shared/thread_backend.h"

// Only the handle: the kernel keeps the thread's state, so closing it leaves the thread running.
struct PlatformThread {
  HANDLE handle;
};

namespace {

struct StartRecord {
  ThreadRoutine routine;
  intptr_t parameter;
};

DWORD WINAPI threadEntry(LPVOID record) {
  const StartRecord start = *static_cast<StartRecord*>(record);
  delete static_cast<StartRecord*>(record);
  start.routine(start.parameter);
  return 0;
}

PlatformThread* start(ThreadRoutine routine, intptr_t parameter) {
  auto* record = new (std::nothrow) StartRecord{routine, parameter};
  auto* thread = new (std::nothrow) PlatformThread{nullptr};
  if (record == nullptr || thread == nullptr) {
    delete record;
    delete thread;
    return nullptr;
  }
  thread->handle = CreateThread(nullptr, 0, threadEntry, record, 0, nullptr);
  if (thread->handle == nullptr) {
    delete record;  // the thread never ran, so the record is still ours
    delete thread;
    return nullptr;
  }
  return thread;
}

bool wait(PlatformThread* thread, int32_t timeoutMs) {
  if (thread == nullptr) return false;
  const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  return WaitForSingleObject(thread->handle, timeout) == WAIT_OBJECT_0;
}

void close(PlatformThread* thread) {
  if (thread == nullptr) return;
  CloseHandle(thread->handle);
  delete thread;
}

const ThreadSystem kWin32Threads{start, wait, close};

}  // namespace

const ThreadSystem& threadBackend() { return kWin32Threads; }
