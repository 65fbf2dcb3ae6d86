// main() for the window tests: the window system (and with it the QApplication) lives for
// the whole run and is stopped before main returns, which keeps the sanitizers quiet.
#include <gtest/gtest.h>

#include "ui/window_session.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!startWindowSystem(argc, argv)) return 2;
  const int result = RUN_ALL_TESTS();
  stopWindowSystem();
  return result;
}
