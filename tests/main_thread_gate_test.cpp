// The main-thread gate's rules with a loop of the test's own standing in for a backend's: calls
// carried from real threads queue until the test thread serves them, so each test decides
// exactly when the gate opens, closes and meets a carried call.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/shared/main_thread_gate.h"
#include "tests/stall_watch.h"

namespace {

// A carried call, and its sender's wake-up.
struct Pending {
  const CarriedCall* carried;
  bool done = false;
  bool ran = false;
};

std::mutex loopLock;
std::condition_variable loopChanged;
std::deque<Pending*> queue;  // guarded by loopLock
int carriedCount = 0;        // guarded by loopLock
// Set while a test is going to serve its calls; otherwise a call that reaches the loop counts
// as carried and cannot be handed over, so a wrong answer fails the test instead of hanging it.
bool serving = false;  // guarded by loopLock

bool carry(const CarriedCall& carried) {
  Pending pending{&carried};
  std::unique_lock guard(loopLock);
  ++carriedCount;
  if (!serving) return false;
  queue.push_back(&pending);
  loopChanged.notify_all();
  loopChanged.wait(guard, [&] { return pending.done; });
  return pending.ran;
}

// What a call saw when it ran; read by the sender after its call returned, so ThreadSanitizer
// checks that the run is ordered before the return.
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
  void TearDown() override {
    std::lock_guard guard(loopLock);
    carriedCount = 0;
    serving = false;
  }

  // Sends a call from a thread of its own, which notes what it saw once the call returned.
  std::thread send() {
    return std::thread([this] {
      answer_ = gate_.call(record, &probe_);
      runsSeen_ = probe_.runs;
    });
  }
  // Waits until a carried call waits in the loop; false once the process has stopped working
  // without one coming.
  static bool awaitQueued() {
    StallWatch watch;
    std::unique_lock guard(loopLock);
    while (!loopChanged.wait_for(guard, std::chrono::milliseconds(50), [] { return !queue.empty(); })) {
      if (watch.ownProcessStalled()) return false;
    }
    return true;
  }
  // Passes the next carried call to the gate on this thread, as a loop does.
  void serveOne() {
    if (!awaitQueued()) {
      ADD_FAILURE() << "no call was carried";
      return;
    }
    std::unique_lock guard(loopLock);
    Pending* pending = queue.front();
    queue.pop_front();
    guard.unlock();
    const bool ran = gate_.runCarried(*pending->carried);
    guard.lock();
    pending->ran = ran;
    pending->done = true;
    loopChanged.notify_all();
  }
  static void serve(bool on) {
    std::lock_guard guard(loopLock);
    serving = on;
  }
  static int carried() {
    std::lock_guard guard(loopLock);
    return carriedCount;
  }

  MainThreadGate gate_{carry};
  Probe probe_;
  bool answer_ = false;
  int runsSeen_ = -1;
};

TEST_F(MainThreadGateTest, ClosedUntilOpenedOnEveryThread) {
  EXPECT_FALSE(gate_.isMainThread());
  EXPECT_FALSE(gate_.call(record, &probe_));
  answer_ = true;
  send().join();
  EXPECT_FALSE(answer_);
  EXPECT_EQ(probe_.runs, 0);
  EXPECT_EQ(carried(), 0) << "a refused call is not carried";
}

TEST_F(MainThreadGateTest, OpenGateRunsCallsOnTheMainThreadAtOnceOrWhenTheLoopServesThem) {
  gate_.open();
  EXPECT_TRUE(gate_.isMainThread());
  EXPECT_TRUE(gate_.call(record, &probe_));
  EXPECT_EQ(probe_.runs, 1) << "run at once, not carried";
  EXPECT_EQ(carried(), 0);

  serve(true);
  std::thread sender = send();
  serveOne();
  sender.join();
  EXPECT_TRUE(answer_);
  EXPECT_EQ(runsSeen_, 2) << "the sender waited for its call to run";
  EXPECT_EQ(probe_.thread, std::this_thread::get_id());
  bool otherIsMain = true;
  std::thread([&] { otherIsMain = gate_.isMainThread(); }).join();
  EXPECT_FALSE(otherIsMain);
}

TEST_F(MainThreadGateTest, ClosingRefusesLaterCallsAndCarriedCallsNotYetRun) {
  gate_.open();
  serve(true);
  std::thread sender = send();
  EXPECT_TRUE(awaitQueued());
  gate_.close();
  serveOne();
  sender.join();
  EXPECT_FALSE(answer_) << "carried before the close, served after it";
  serve(false);

  gate_.close();  // again: a loop's end may close it twice
  EXPECT_FALSE(gate_.call(record, &probe_)) << "on the main thread";
  answer_ = true;
  send().join();
  EXPECT_FALSE(answer_);
  EXPECT_EQ(carried(), 1) << "a call after the close is refused before it is carried";
  EXPECT_EQ(probe_.runs, 0);
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
  EXPECT_TRUE(gate_.call(record, &probe_));
  EXPECT_EQ(carried(), 0);
}

// A loop of the test's own, with windows the test opens and closes.
bool windowsAlive = false;
bool anyWindowAlive() { return windowsAlive; }
MainThreadGate* loopGate = nullptr;
int loopRuns = 0;
Probe inLoop;
std::vector<bool> seenInLoop;  // what the gate answered inside the loop, in order

int32_t testLoop() {
  ++loopRuns;
  MainThreadGate& gate = *loopGate;
  seenInLoop.push_back(gate.windowGone(anyWindowAlive));  // another window is still open
  seenInLoop.push_back(gate.call(record, &inLoop));
  windowsAlive = false;
  seenInLoop.push_back(gate.windowGone(anyWindowAlive));  // the last one went
  seenInLoop.push_back(gate.call(record, &inLoop));
  seenInLoop.push_back(gate.stopInsideLoop());
  return 5;
}

TEST_F(MainThreadGateTest, TheLoopsEndClosesTheGateHoweverItCame) {
  loopGate = &gate_;
  gate_.open();
  windowsAlive = false;
  EXPECT_EQ(gate_.runLoop(anyWindowAlive, testLoop), 0);
  EXPECT_EQ(loopRuns, 0) << "no window to wait for";
  EXPECT_FALSE(gate_.call(record, &probe_));

  gate_.open();
  windowsAlive = true;
  EXPECT_FALSE(gate_.stopInsideLoop()) << "no loop running yet";
  EXPECT_TRUE(gate_.call(record, &probe_)) << "so the gate stays open";
  EXPECT_EQ(gate_.runLoop(anyWindowAlive, testLoop), 5);
  EXPECT_EQ(loopRuns, 1);
  EXPECT_EQ(seenInLoop, (std::vector<bool>{false, true, true, false, true}));
  EXPECT_FALSE(gate_.windowGone(anyWindowAlive)) << "no loop left to end";
  EXPECT_FALSE(gate_.stopInsideLoop());

  gate_.open();
  windowsAlive = true;
  EXPECT_EQ(gate_.runLoop(anyWindowAlive, [] { return int32_t{9}; }), 9);
  EXPECT_FALSE(gate_.call(record, &probe_)) << "a loop that ended on its own closed it too";
}

}  // namespace
