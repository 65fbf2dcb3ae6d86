// One deliberate fault per bug class, so a sanitizer build that stops catching its class
// fails here instead of passing quietly. Each fault runs in a death-test child.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

#if defined(CELLBRAE_SANITIZE_ADDRESS)

TEST(SanitizerCanaryDeathTest, AddressSanitizerCatchesUseAfterFree) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        auto* volatile block = static_cast<int*>(std::malloc(sizeof(int)));
        std::free(block);
        *block = 1;
      },
      "heap-use-after-free");
}

TEST(SanitizerCanaryDeathTest, UndefinedBehaviorSanitizerCatchesSignedOverflow) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        volatile int big = INT_MAX;
        volatile int sum = big + 1;
        (void)sum;
      },
      "signed integer overflow");
}

[[gnu::noinline]] void loseABlock() {
  void* volatile block = std::malloc(64);
  (void)block;
}

TEST(SanitizerCanaryDeathTest, LeakSanitizerCatchesALostBlock) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto failedExit = [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; };
  EXPECT_EXIT(
      {
        loseABlock();
        std::exit(0);
      },
      failedExit, "detected memory leaks");
}

#elif defined(CELLBRAE_SANITIZE_THREAD)

TEST(SanitizerCanaryDeathTest, ThreadSanitizerCatchesADataRace) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The two writes come one after the other, ordered by relaxed flags only, and the first
  // writer is still there at the second: writes made at the same instant can miss each
  // other, and the history of a thread that has ended can be gone before the second write
  // looks for it. Either left a busy machine's run without a report now and then.
  EXPECT_EXIT(
      {
        static int shared = 0;
        std::atomic<bool> written{false};
        std::atomic<bool> seen{false};
        std::thread other([&] {
          ++shared;
          written.store(true, std::memory_order_relaxed);
          // Asleep, not spinning: each look at the flag adds to the thread's history.
          while (!seen.load(std::memory_order_relaxed)) usleep(1000);
        });
        while (!written.load(std::memory_order_relaxed)) {
        }
        ++shared;
        seen.store(true, std::memory_order_relaxed);
        other.join();
        std::exit(0);
      },
      ::testing::ExitedWithCode(66), "data race");
}

#else

TEST(SanitizerCanary, PlainBuildHasNoSanitizer) { GTEST_SKIP() << "no sanitizer in this build"; }

#endif

}  // namespace
