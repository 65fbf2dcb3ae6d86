// The thread and process backends against the contracts of their interfaces, on whichever
// platform this is built for: a routine runs with its parameter on a thread of its own, a
// wait times out while it runs, a closed handle leaves it running, and exit ends them all.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

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

TEST_F(PlatformThreads, ClosingTheHandleLeavesTheThreadRunning) {
  PlatformThread* thread = threads.start(heldRoutine, 7);
  ASSERT_NE(thread, nullptr);
  threads.close(thread);
  probe_.openGate();
  probe_.awaitDone();
  EXPECT_EQ(probe_.parameter, 7);
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

}  // namespace
