// The system's script control under the system's COM.
#include <gtest/gtest.h>

#include "tests/script_engine_support.h"

namespace {

TEST(OleScriptControl, Placeholder) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, "var list = [7, 2]; list"), "");
}

}  // namespace
