// The hand-over between a run's threads: items arrive whole and in order, the giving side is
// held back at the capacity, and either side can end it without leaving the other waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "table/hand_over.h"

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

}  // namespace
