// The worker-thread command through the thread library's entry, and the exit routine list.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/threads.h"
#include "runtime/exit_routines.h"
#include "runtime/thread_commands.h"

namespace {

// What the started routines saw, guarded for the threads that report into it.
struct Reports {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<intptr_t> parameters;
  std::set<std::thread::id> threads;
  bool released = false;
  int finished = 0;  // held threads that have let go; a test waits for them before the next
};
Reports reports;

void report(intptr_t parameter) {
  std::lock_guard guard(reports.lock);
  reports.parameters.push_back(parameter);
  reports.threads.insert(std::this_thread::get_id());
  reports.arrived.notify_all();
}

// Reports, then holds its thread until released, so two of them run at the same time.
void reportAndHold(intptr_t parameter) {
  report(parameter);
  std::unique_lock guard(reports.lock);
  reports.arrived.wait(guard, [] { return reports.released; });
  ++reports.finished;
  reports.arrived.notify_all();
}

void waitForReports(size_t count) {
  std::unique_lock guard(reports.lock);
  reports.arrived.wait(guard, [&] { return reports.parameters.size() >= count; });
}

class StartThread : public ::testing::Test {
 protected:
  void SetUp() override {
    std::lock_guard guard(reports.lock);
    reports.parameters.clear();
    reports.threads.clear();
    reports.released = false;
    reports.finished = 0;
  }
};

TEST_F(StartThread, OmittedOptionsGiveZeroAndKeepNoHandle) {
  EXPECT_TRUE(startThread(report));
  waitForReports(1);
  std::lock_guard guard(reports.lock);
  EXPECT_EQ(reports.parameters, std::vector<intptr_t>{0});
  EXPECT_EQ(reports.threads.count(std::this_thread::get_id()), 0u) << "ran on a thread of its own";
}

TEST_F(StartThread, HandleVariableReceivesAWaitableHandle) {
  ThreadHandle handle = 0;
  EXPECT_TRUE(startThread(report, -7, &handle));
  ASSERT_NE(handle, 0);
  EXPECT_TRUE(waitForThread(handle, -1));
  EXPECT_TRUE(waitForThread(handle, 0)) << "an ended thread stays ended";
  closeThreadHandle(handle);
  std::lock_guard guard(reports.lock);
  EXPECT_EQ(reports.parameters, std::vector<intptr_t>{-7});
}

TEST_F(StartThread, TwoCallsRunTwoThreadsAtOnce) {
  ThreadHandle first = 0;
  ThreadHandle second = 0;
  ASSERT_TRUE(startThread(reportAndHold, 1, &first));
  ASSERT_TRUE(startThread(reportAndHold, 2, &second));
  waitForReports(2);  // both report before either is released: they run side by side
  EXPECT_FALSE(waitForThread(first, 0));
  {
    std::lock_guard guard(reports.lock);
    EXPECT_EQ(reports.threads.size(), 2u);
    EXPECT_EQ(std::set<intptr_t>(reports.parameters.begin(), reports.parameters.end()), (std::set<intptr_t>{1, 2}));
    reports.released = true;
    reports.arrived.notify_all();
  }
  EXPECT_TRUE(waitForThread(first, -1));
  EXPECT_TRUE(waitForThread(second, -1));
  closeThreadHandle(first);
  closeThreadHandle(second);
}

TEST_F(StartThread, CommandFormTakesMissingArgumentsAndAClosedHandleLeavesTheThreadRunning) {
  ThreadHandle handle = 0;
  const CommandResult started = callLibraryCommand(
      kThreadLibrary, threadCommands::startThread,
      {CommandArgument::ofPointer(reinterpret_cast<const void*>(&reportAndHold), TypeCode::SubroutinePointer),
       CommandArgument::missing(), CommandArgument::ofPointer(&handle, TypeCode::Int)});
  EXPECT_EQ(started.low, 1u);
  waitForReports(1);
  closeThreadHandle(handle);  // the thread is still held, and runs on after its handle closed
  {
    std::lock_guard guard(reports.lock);
    EXPECT_EQ(reports.parameters, std::vector<intptr_t>{0});
    reports.released = true;
    reports.arrived.notify_all();
  }
  closeThreadHandle(0);
  EXPECT_FALSE(waitForThread(0, 0));
  // The thread has no handle left to wait on: wait until it lets go, so the next test's reset
  // cannot put it back to sleep for good (a waiter left on the condition variable would also
  // hold up its destruction at exit).
  std::unique_lock guard(reports.lock);
  reports.arrived.wait(guard, [] { return reports.finished == 1; });
}

std::vector<int> calls;
void first() { calls.push_back(1); }
void second() { calls.push_back(2); }

TEST(ExitRoutines, RunOnceInRegistrationOrderWithoutRepeats) {
  registerExitRoutine(second);
  registerExitRoutine(first);
  registerExitRoutine(second);
  runExitRoutines();
  EXPECT_EQ(calls, (std::vector<int>{2, 1}));
  runExitRoutines();
  EXPECT_EQ(calls, (std::vector<int>{2, 1})) << "the list is emptied by the end";
}

// A start replaced to refuse, as a test makes the system refuse, gives false and the null
// handle; put back, threads start again.
TEST_F(StartThread, ARefusedStartGivesFalseAndTheNullHandle) {
  const ThreadStart own = replaceThreadStart(refusingThreadStart);
  ThreadHandle handle = 99;
  EXPECT_FALSE(startThread(report, 1, &handle));
  EXPECT_EQ(handle, 0);
  EXPECT_FALSE(startThread(report));
  EXPECT_EQ(replaceThreadStart(nullptr), refusingThreadStart);
  EXPECT_EQ(replaceThreadStart(nullptr), own) << "null puts the backend's own start back";
  EXPECT_TRUE(startThread(report, 2));
  waitForReports(1);
  std::lock_guard guard(reports.lock);
  EXPECT_EQ(reports.parameters, std::vector<intptr_t>{2});
}

// Last: after the end notice no thread starts, and a handle variable gets the null handle.
TEST_F(StartThread, NothingStartsAfterTheEndNotice) {
  endThreadService();
  ThreadHandle handle = 99;
  EXPECT_FALSE(startThread(report, 1, &handle));
  EXPECT_EQ(handle, 0);
}

}  // namespace
