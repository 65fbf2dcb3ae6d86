// The thread and process backends against the contracts of their interfaces, on whichever
// platform this is built for: a routine runs with its parameter on a thread of its own, a
// wait times out while it runs, a closed handle leaves it running, exit ends them all, and
// with glibc the start keeps big blocks mapped and a freed arena top for the next blocks.
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/threads.h"

namespace {

// What a started routine saw, and a gate that holds it until the test opens it.
struct Probe {
  std::mutex lock;
  std::condition_variable changed;
  bool open = false;
  bool ran = false;
  bool done = false;
  intptr_t parameter = 0;
  std::thread::id thread;

  void openGate() {
    std::lock_guard guard(lock);
    open = true;
    changed.notify_all();
  }
  void awaitDone() {
    std::unique_lock guard(lock);
    changed.wait(guard, [this] { return done; });
  }
};
Probe* probe = nullptr;

void heldRoutine(intptr_t parameter) {
  std::unique_lock guard(probe->lock);
  probe->ran = true;
  probe->parameter = parameter;
  probe->thread = std::this_thread::get_id();
  probe->changed.notify_all();
  probe->changed.wait(guard, [] { return probe->open; });
  probe->done = true;
  probe->changed.notify_all();
}

class PlatformThreads : public ::testing::Test {
 protected:
  void SetUp() override { probe = &probe_; }
  void TearDown() override { probe = nullptr; }
  const ThreadSystem& threads = platformThreads();
  Probe probe_;
};

TEST_F(PlatformThreads, RoutineGetsItsParameterOnANewThreadAndWaitsSeeItsEnd) {
  PlatformThread* thread = threads.start(heldRoutine, -123456);
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(threads.wait(thread, 0)) << "held at the gate";
  EXPECT_FALSE(threads.wait(thread, 30));
  probe_.openGate();
  EXPECT_TRUE(threads.wait(thread, -1));
  EXPECT_TRUE(threads.wait(thread, 0)) << "an ended thread stays ended";
  EXPECT_TRUE(probe_.ran);
  EXPECT_EQ(probe_.parameter, -123456);
  EXPECT_NE(probe_.thread, std::this_thread::get_id());
  threads.close(thread);
}

// With its handle closed nothing can tell when the thread has let go of its probe: its last
// unlock may still touch the mutex after the test has seen it done (winpthreads signals the
// mutex's event after releasing it). So this probe is never destroyed.
Probe* const unwaitedProbe = new Probe;

TEST_F(PlatformThreads, ClosingTheHandleLeavesTheThreadRunning) {
  probe = unwaitedProbe;
  PlatformThread* thread = threads.start(heldRoutine, 7);
  ASSERT_NE(thread, nullptr);
  threads.close(thread);
  unwaitedProbe->openGate();
  unwaitedProbe->awaitDone();
  EXPECT_EQ(unwaitedProbe->parameter, 7);
  threads.close(nullptr);
  EXPECT_FALSE(threads.wait(nullptr, 0));
}

// Kept where a leak check finds it: exit runs one before it ends the process.
PlatformThread* stillRunning = nullptr;

// A POSIX parent sees the low byte of exit code -1, a Windows parent the whole code.
bool endedWithMinusOne(int status) {
  return ::testing::ExitedWithCode(255)(status) || ::testing::ExitedWithCode(-1)(status);
}

TEST(PlatformProcessDeathTest, ExitEndsTheProcessWithItsCodeWhileThreadsRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Probe held;  // never opened: the thread is still waiting when the process ends
        probe = &held;
        stillRunning = platformThreads().start(heldRoutine, 1);
        std::unique_lock guard(held.lock);
        held.changed.wait(guard, [&] { return held.ran; });
        guard.unlock();
        platformProcess().exit(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EXIT(platformProcess().exit(-1), endedWithMinusOne, "");
}

// glibc raises its mmap threshold to the size of any mapped block that is freed, so after one
// multi-megabyte text the interpreter heap's 1 MiB chunks would come from an arena and stay
// with the process when their engine ends. Once the process is started they are still mapped,
// and unmapped when freed. (The sanitizers bring allocators of their own.)
#if defined(__GLIBC__) && !defined(CELLBRAE_SANITIZE_ADDRESS) && !defined(CELLBRAE_SANITIZE_THREAD)
TEST(PlatformProcess, StartKeepsChunksMappedAfterABigBlockIsFreed) {
  platformProcess().start();
  constexpr size_t kBig = size_t{8} << 20;
  void* big = std::malloc(kBig);
  ASSERT_NE(big, nullptr);
  std::memset(big, 1, kBig);
  std::free(big);
  const size_t mappedBefore = mallinfo2().hblks;
  void* chunk = std::malloc(size_t{1} << 20);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(mallinfo2().hblks, mappedBefore + 1) << "a 1 MiB chunk is mapped from the system";
  std::free(chunk);
  EXPECT_EQ(mallinfo2().hblks, mappedBefore) << "and given back when freed";
}

// Smaller blocks come from an arena, which keeps a few megabytes freed at its top for the next
// ones instead of giving them back to be faulted in again at once.
TEST(PlatformProcess, StartKeepsAFreedArenaTopForTheNextBlocks) {
  platformProcess().start();
  std::vector<void*> blocks;
  for (int i = 0; i < 8; ++i) blocks.push_back(std::malloc(size_t{256} << 10));
  const size_t arenaBefore = mallinfo2().arena;
  for (void* block : blocks) std::free(block);
  EXPECT_EQ(mallinfo2().arena, arenaBefore);
}
#endif

}  // namespace
