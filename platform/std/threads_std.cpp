// Threads over std::thread: each thread is detached at once, and its handle is a shared
// "ended" flag, so a closed handle leaves the thread running and an open one can be waited on.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/shared/thread_backend.h"

struct PlatformThread {
  struct Ending {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
  };
  std::shared_ptr<Ending> ending = std::make_shared<Ending>();
};

namespace {

PlatformThread* start(ThreadRoutine routine, intptr_t parameter) {
  auto* handle = new PlatformThread;
  try {
    std::thread([routine, parameter, ending = handle->ending] {
      routine(parameter);
      std::lock_guard guard(ending->lock);
      ending->done = true;
      ending->ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    delete handle;
    return nullptr;
  }
  return handle;
}

bool wait(PlatformThread* thread, int32_t timeoutMs) {
  if (thread == nullptr) return false;
  std::unique_lock guard(thread->ending->lock);
  auto done = [&] { return thread->ending->done; };
  if (timeoutMs < 0) {
    thread->ending->ended.wait(guard, done);
    return true;
  }
  return thread->ending->ended.wait_for(guard, std::chrono::milliseconds(timeoutMs), done);
}

void close(PlatformThread* thread) { delete thread; }

const ThreadSystem kStdThreads{start, wait, close};

}  // namespace

const ThreadSystem& threadBackend() { return kStdThreads; }
