// The recording pass with its row records built ahead on a side thread: the store and the
// measure it leaves are those of the pass when the system refuses that thread, whatever the
// lines' shapes and over many batches; and a later press stops both threads.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/threads.h"
#include "runtime/text_commands.h"
#include "table/press.h"
#include "table/recording_pass.h"

namespace {

struct Recorded {
  std::string store;
  ColumnMeasure measure;
};

Recorded recordedAhead(const ArrayValue& lines, const char* separator) {
  JsonDocument cellStore;
  Recorded recorded;
  EXPECT_TRUE(recordLines(InputLines(lines), separator, cellStore, recorded.measure));
  recorded.store = cellStore.toJson().c_str();
  return recorded;
}

Recorded recordedOnOneThread(const ArrayValue& lines, const char* separator) {
  replaceThreadStart(refusingThreadStart);
  Recorded alone = recordedAhead(lines, separator);
  replaceThreadStart(nullptr);
  return alone;
}

// Lines of every shape the width rule treats apart: more and fewer cells than the line
// before, blank lines, wide characters, quotes and backslashes.
std::string shapedInput(int lineCount) {
  // GBK bytes: "序号", and "路径" followed by a trail byte that reads as a backslash.
  static const char* const cells[] = {"\xD0\xF2\xBA\xC5", "a", "", "\"q\"", "back\\slash", "12345", "\xC2\xB7\xBE\xB6\x81\x5C", "x y"};
  std::string input;
  for (int i = 0; i < lineCount; ++i) {
    const int cellCount = (i * 7 + i / 3) % 6;
    for (int k = 0; k < cellCount; ++k) {
      if (k > 0) input += ',';
      input += cells[(i + k * 3) % 8];
    }
    input += "\r\n";
  }
  return input;
}

void expectSame(const Recorded& ahead, const Recorded& alone) {
  EXPECT_EQ(ahead.store, alone.store);
  EXPECT_EQ(ahead.measure.columnCount, alone.measure.columnCount);
  EXPECT_EQ(std::string(ahead.measure.cellLengthsText.c_str()), alone.measure.cellLengthsText.c_str());
  ASSERT_EQ(ahead.measure.columnWidths.count(), alone.measure.columnWidths.count());
  for (int32_t k = 1; k <= alone.measure.columnWidths.count(); ++k) {
    EXPECT_EQ(ahead.measure.columnWidths.intAt(k), alone.measure.columnWidths.intAt(k)) << "column " << k;
  }
}

TEST(RecordingPassAhead, LeavesTheStoreAndMeasureOfThePassOnOneThread) {
  for (const int lineCount : {1, 2, 255, 257, 600}) {
    SCOPED_TRACE(lineCount);
    const std::string input = shapedInput(lineCount);
    const ArrayValue lines = splitText(input.c_str(), "\r\n");
    expectSame(recordedAhead(lines, ","), recordedOnOneThread(lines, ","));
  }
  // More batches than may wait at once, so the thread building ahead is held back in turn.
  const std::string input = shapedInput(4700);
  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  expectSame(recordedAhead(lines, ","), recordedOnOneThread(lines, ","));
}

// The pass measures only the widths line by line and takes the lengths text of the last line
// with cells at the end; the measure is the one measuring every line in order leaves, where
// each line's previous record lists the lengths of the last line with cells before it.
TEST(RecordingPassAhead, LeavesTheMeasureThatMeasuringEveryLineLeaves) {
  const std::string input = shapedInput(600) + "\r\n\r\n";  // it ends with blank lines
  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  ColumnMeasure expected;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    const int32_t previous = i >= 2 ? splitText(expected.cellLengthsText.c_str(), ",").count() : 0;
    measureLine(expected, i, lines.textAt(i), ",", previous);
  }
  const Recorded recorded = recordedAhead(lines, ",");
  ASSERT_FALSE(expected.cellLengthsText.isEmpty());
  EXPECT_STREQ(recorded.measure.cellLengthsText.c_str(), expected.cellLengthsText.c_str());
  EXPECT_EQ(recorded.measure.columnCount, expected.columnCount);
  ASSERT_EQ(recorded.measure.columnWidths.count(), expected.columnWidths.count());
  for (int32_t k = 1; k <= expected.columnWidths.count(); ++k) {
    EXPECT_EQ(recorded.measure.columnWidths.intAt(k), expected.columnWidths.intAt(k)) << "column " << k;
  }
}

TEST(RecordingPassAhead, ALaterPressStopsBothThreads) {
  const std::string input = shapedInput(40000);
  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  pressWithSeparator(TextValue::constant(","));
  const RunStart run = beginRun();

  // Superseded before it starts: nothing is stored.
  pressWithSeparator(TextValue::constant(","));
  JsonDocument cellStore;
  ColumnMeasure measure;
  EXPECT_FALSE(recordLines(InputLines(lines), ",", cellStore, measure, run.press));
  EXPECT_STREQ(cellStore.toJson().c_str(), "{}");

  // Superseded on the way (40,000 lines take far longer than the wait): it stops, and
  // returns only once the thread building ahead has ended.
  const RunStart later = beginRun();
  bool recorded = true;
  std::thread worker([&] {
    JsonDocument laterStore;  // made and used on the worker, as a run's store is
    recorded = recordLines(InputLines(lines), ",", laterStore, measure, later.press);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  pressWithSeparator(TextValue::constant(","));
  worker.join();
  EXPECT_FALSE(recorded);
  releaseFieldSeparator();
}

}  // namespace
