// One deliberate fault per bug class, so a sanitizer build that stops catching its class
// fails here instead of passing quietly. Each fault runs in a death-test child.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>

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
  EXPECT_EXIT(
      {
        static int shared = 0;
        std::atomic<bool> go{false};
        std::thread other([&] {
          while (!go.load(std::memory_order_relaxed)) {
          }
          ++shared;
        });
        go.store(true, std::memory_order_relaxed);
        ++shared;
        other.join();
        std::exit(0);
      },
      ::testing::ExitedWithCode(66), "data race");
}

#else

TEST(SanitizerCanary, PlainBuildHasNoSanitizer) { GTEST_SKIP() << "no sanitizer in this build"; }

#endif

}  // namespace
