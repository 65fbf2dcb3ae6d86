// The main-thread gate's rules with a loop of the test's own standing in for a backend's: calls
// carried from real threads queue until the test thread serves them, so each test decides
// exactly when the gate opens, closes and meets a carried call.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/shared/main_thread_gate.h"

namespace {

// A carried call and its sender's wake-up.
struct Pending {
  const CarriedCall* carried;
  bool done = false;
  bool ran = false;
};

// The stand-in for a backend: carried calls wait in `queue` until serveOne passes them to the
// gate on the calling thread.
struct TestLoop {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<Pending*> queue;
  int carriedCount = 0;
};
TestLoop* loop = nullptr;

bool carry(const CarriedCall& carried) {
  Pending pending{&carried};
  std::unique_lock guard(loop->lock);
  loop->queue.push_back(&pending);
  ++loop->carriedCount;
  loop->changed.notify_all();
  loop->changed.wait(guard, [&] { return pending.done; });
  return pending.ran;
}

// What a call saw when it ran.
struct Probe {
  int runs = 0;
  std::thread::id thread;
};

void record(void* context) {
  auto* probe = static_cast<Probe*>(context);
  ++probe->runs;
  probe->thread = std::this_thread::get_id();
}

class MainThreadGateTest : public ::testing::Test {
 protected:
  void SetUp() override { loop = &loop_; }
  void TearDown() override { loop = nullptr; }

  // Waits until `count` calls have been carried in all.
  void awaitCarried(int count) {
    std::unique_lock guard(loop_.lock);
    loop_.changed.wait(guard, [&] { return loop_.carriedCount >= count; });
  }
  // Passes the oldest carried call to the gate on this thread and wakes its sender.
  void serveOne() {
    std::unique_lock guard(loop_.lock);
    loop_.changed.wait(guard, [&] { return !loop_.queue.empty(); });
    Pending* pending = loop_.queue.front();
    loop_.queue.pop_front();
    guard.unlock();
    const bool ran = gate_.runCarried(*pending->carried);
    guard.lock();
    pending->ran = ran;
    pending->done = true;
    loop_.changed.notify_all();
  }
  int carriedCount() {
    std::lock_guard guard(loop_.lock);
    return loop_.carriedCount;
  }

  TestLoop loop_;
  MainThreadGate gate_{carry};
};

TEST_F(MainThreadGateTest, ClosedUntilOpenedOnEveryThread) {
  Probe probe;
  EXPECT_FALSE(gate_.isMainThread());
  EXPECT_FALSE(gate_.call(record, &probe));
  bool answer = true;
  std::thread([&] { answer = gate_.call(record, &probe); }).join();
  EXPECT_FALSE(answer);
  EXPECT_EQ(probe.runs, 0);
  EXPECT_EQ(carriedCount(), 0) << "a refused call is not carried";
}

TEST_F(MainThreadGateTest, OnTheMainThreadACallRunsAtOnce) {
  gate_.open();
  EXPECT_TRUE(gate_.isMainThread());
  bool otherIsMain = true;
  std::thread([&] { otherIsMain = gate_.isMainThread(); }).join();
  EXPECT_FALSE(otherIsMain);

  Probe probe;
  EXPECT_TRUE(gate_.call(record, &probe));
  EXPECT_EQ(probe.runs, 1);
  EXPECT_EQ(probe.thread, std::this_thread::get_id());
  EXPECT_EQ(carriedCount(), 0);
}

TEST_F(MainThreadGateTest, CallFromAnotherThreadRunsOnTheMainThreadWhileItsSenderWaits) {
  gate_.open();
  Probe probe;
  bool answer = false;
  int seenBySender = 0;
  std::thread sender([&] {
    answer = gate_.call(record, &probe);
    // Read after the call returned: the run is over by then (ThreadSanitizer checks the order).
    seenBySender = probe.runs;
  });
  awaitCarried(1);
  EXPECT_EQ(probe.runs, 0) << "carried calls run only when the loop serves them";
  serveOne();
  sender.join();
  EXPECT_TRUE(answer);
  EXPECT_EQ(seenBySender, 1);
  EXPECT_EQ(probe.thread, std::this_thread::get_id());
}

TEST_F(MainThreadGateTest, ClosingRefusesLaterCallsAndCarriedCallsNotYetRun) {
  gate_.open();
  Probe probe;
  bool answer = true;
  std::thread sender([&] { answer = gate_.call(record, &probe); });
  awaitCarried(1);
  gate_.close();
  serveOne();
  sender.join();
  EXPECT_FALSE(answer) << "carried before the close, served after it";

  EXPECT_FALSE(gate_.call(record, &probe)) << "on the main thread";
  bool later = true;
  std::thread([&] { later = gate_.call(record, &probe); }).join();
  EXPECT_FALSE(later);
  EXPECT_EQ(carriedCount(), 1) << "a call after the close is refused before it is carried";
  gate_.close();  // again: both loops' ends may close it
  EXPECT_FALSE(gate_.call(record, &probe));
  EXPECT_EQ(probe.runs, 0);
  EXPECT_TRUE(gate_.isMainThread()) << "the main thread stays known once closed";
}

TEST_F(MainThreadGateTest, ReopeningMakesTheOpenerTheMainThread) {
  std::thread([&] {
    gate_.open();
    gate_.close();
  }).join();
  EXPECT_FALSE(gate_.isMainThread());
  gate_.open();
  EXPECT_TRUE(gate_.isMainThread());
  Probe probe;
  bool answer = false;
  std::thread sender([&] { answer = gate_.call(record, &probe); });
  awaitCarried(1);
  serveOne();
  sender.join();
  EXPECT_TRUE(answer);
  EXPECT_EQ(probe.runs, 1);
  EXPECT_EQ(probe.thread, std::this_thread::get_id());
}

}  // namespace
