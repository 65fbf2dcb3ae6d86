// A thread's thread_local objects are destroyed while their storage is still the thread's:
// destroyed after it, each worker's end read freed blocks, and now and then corrupted the heap
// or hung the process in exit().
#include <windows.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/threads.h"

namespace {

std::atomic<int> destroyed{0};
std::atomic<int> destroyedOnFreedStorage{0};

// The emulated TLS runtime keeps the block it allocated for a thread's copy of a variable just
// before the variable; the block must still be a live one of the C library's heap.
struct StorageProbe {
  int touched = 0;
  ~StorageProbe() {
    void* block = reinterpret_cast<void* const*>(this)[-1];
    if (!HeapValidate(reinterpret_cast<HANDLE>(_get_heap_handle()), 0, block)) ++destroyedOnFreedStorage;
    ++destroyed;
  }
};

void touchProbe(intptr_t) {
  thread_local StorageProbe probe;
  probe.touched = 1;
}

TEST(ThreadExitWin32, ThreadLocalsEndBeforeTheirStorageOnOurThreadsAndOthers) {
  for (int i = 0; i < 4; ++i) {
    PlatformThread* thread = platformThreads().start(touchProbe, 0);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(platformThreads().wait(thread, -1));
    platformThreads().close(thread);
    std::thread(touchProbe, 0).join();
  }
  EXPECT_EQ(destroyed, 8);
  EXPECT_EQ(destroyedOnFreedStorage, 0);
}

}  // namespace
