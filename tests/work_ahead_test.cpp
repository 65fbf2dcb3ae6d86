// Work done ahead for a run: items arrive whole and in order, the giving side is held back at
// the capacity, and either side can end it without leaving the other waiting; without a
// thread the same items are made on the taker, one as each is taken, and what the maker kept
// ends on the thread that made the items.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "platform/threads.h"
#include "runtime/work_ahead.h"

namespace {

TEST(HandOver, ItemsArriveInOrderAndTheGiverWaitsForRoom) {
  HandOver<std::string> items(2);
  std::atomic<int> given{0};
  SideThread giver;
  ASSERT_TRUE(giver.start([&] {
    for (int i = 0; i < 1000; ++i) {
      ASSERT_TRUE(items.give(std::to_string(i)));
      ++given;
    }
    items.end();
  }));
  std::string item;
  ASSERT_TRUE(items.take(item));
  EXPECT_EQ(item, "0");
  // The giver cannot be more than the capacity ahead of what was taken.
  EXPECT_LE(given.load(), 3);
  for (int i = 1; i < 1000; ++i) {
    ASSERT_TRUE(items.take(item));
    ASSERT_EQ(item, std::to_string(i));
  }
  EXPECT_FALSE(items.take(item)) << "ended and drained";
  giver.join();
  EXPECT_EQ(given.load(), 1000);
}

TEST(HandOver, StoppingReleasesAGiverWaitingForRoom) {
  HandOver<std::vector<int>> batches(1);
  std::atomic<bool> refused{false};
  SideThread giver;
  ASSERT_TRUE(giver.start([&] {
    while (batches.give({1, 2, 3})) {
    }
    refused = true;
  }));
  std::vector<int> batch;
  ASSERT_TRUE(batches.take(batch));
  EXPECT_EQ(batch, (std::vector<int>{1, 2, 3}));
  batches.stop();
  giver.join();
  EXPECT_TRUE(refused.load());
  EXPECT_FALSE(batches.give({4})) << "a give after the stop";
}

// Makes the numbers 0 .. count-1 as texts, noting the thread each make and the finish ran on.
struct Counting {
  explicit Counting(int count) : count(count) {}
  bool make(std::string& item) {
    makers.push_back(std::this_thread::get_id());
    if (made == count) return false;
    item = std::to_string(made++);
    return true;
  }
  void finish() {
    finishedOn = std::this_thread::get_id();
    ++finishes;
  }
  std::function<bool(std::string&)> maker() {
    return [this](std::string& item) { return make(item); };
  }

  const int count;
  int made = 0;
  std::vector<std::thread::id> makers;
  std::optional<std::thread::id> finishedOn;
  int finishes = 0;
};

std::vector<std::string> takeAll(WorkAhead<std::string>& work) {
  std::vector<std::string> items;
  for (std::string item; work.take(item);) items.push_back(item);
  return items;
}

const std::vector<std::string> kFive{"0", "1", "2", "3", "4"};

TEST(WorkAhead, MakesTheItemsInOrderOnASideThreadThatAlsoFinishes) {
  Counting counting(5);
  {
    WorkAhead<std::string> work(2, counting.maker(), [&] { counting.finish(); });
    ASSERT_TRUE(work.apart());
    EXPECT_EQ(takeAll(work), kFive);
    std::string item = "kept";
    EXPECT_FALSE(work.take(item));
    EXPECT_EQ(item, "kept");
  }
  ASSERT_EQ(counting.makers.size(), 6u) << "five items and the answer that there are no more";
  for (const std::thread::id maker : counting.makers) EXPECT_EQ(maker, counting.makers.front());
  EXPECT_NE(counting.makers.front(), std::this_thread::get_id());
  EXPECT_EQ(counting.finishedOn, counting.makers.front());
  EXPECT_EQ(counting.finishes, 1);
}

TEST(WorkAhead, StoppedEarlyTheSideThreadEndsAndFinishesWhereItMade) {
  Counting counting(1000);
  WorkAhead<std::string> work(1, counting.maker(), [&] { counting.finish(); });
  std::string item;
  ASSERT_TRUE(work.take(item));
  EXPECT_EQ(item, "0");
  work.stop();
  // At most the one taken, one waiting and one held back for room were made.
  EXPECT_LE(counting.made, 3);
  const int made = counting.made;
  EXPECT_FALSE(work.take(item));
  work.stop();
  EXPECT_EQ(counting.made, made) << "nothing is made after the stop";
  EXPECT_EQ(counting.finishes, 1);
  EXPECT_EQ(counting.finishedOn, counting.makers.front());
}

// A thread the system refuses, or one the ending program no longer starts: the items are made
// on the taker, each when it is taken, never ahead of it.
void expectMadeOnTheTaker() {
  Counting counting(5);
  {
    WorkAhead<std::string> work(2, counting.maker(), [&] { counting.finish(); });
    EXPECT_FALSE(work.apart());
    std::string item;
    ASSERT_TRUE(work.take(item));
    EXPECT_EQ(item, "0");
    EXPECT_EQ(counting.made, 1);
    std::vector<std::string> items{item};
    for (; work.take(item);) items.push_back(item);
    EXPECT_EQ(items, kFive);
    EXPECT_EQ(counting.finishes, 1) << "finished once the maker had no more";
    EXPECT_FALSE(work.take(item));
    EXPECT_EQ(counting.makers.size(), 6u) << "not asked again";
  }
  for (const std::thread::id maker : counting.makers) EXPECT_EQ(maker, std::this_thread::get_id());
  EXPECT_EQ(counting.finishedOn, std::this_thread::get_id());
  EXPECT_EQ(counting.finishes, 1);

  // Stopped before the maker ran out: finished at the stop, on the taker.
  Counting stopped(5);
  WorkAhead<std::string> work(2, stopped.maker(), [&] { stopped.finish(); });
  std::string item;
  ASSERT_TRUE(work.take(item));
  work.stop();
  EXPECT_EQ(stopped.finishes, 1);
  EXPECT_FALSE(work.take(item));
  EXPECT_EQ(stopped.made, 1);
}

TEST(WorkAhead, WithoutAThreadTheItemsAreMadeOnTheTaker) {
  replaceThreadStart(refusingThreadStart);
  expectMadeOnTheTaker();
  replaceThreadStart(nullptr);
}

// Last: the end notice holds for the rest of the program.
TEST(WorkAhead, AfterTheEndNoticeTheItemsAreMadeOnTheTaker) {
  endThreadService();
  expectMadeOnTheTaker();
}

}  // namespace
