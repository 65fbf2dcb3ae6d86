// One small lock orders the click handler's replacement of the separator with each run's copy;
// the press is counted under it too, so a run never pairs a press with an older separator.
#include "table/field_separator.h"

#include <mutex>
#include <utility>

namespace {

std::mutex separatorLock;
TextValue fieldSeparator;  // absent before the first press

}  // namespace

uint32_t pressWithSeparator(TextValue separator) {
  TextValue previous;
  uint32_t press = 0;
  {
    std::lock_guard guard(separatorLock);
    previous = std::exchange(fieldSeparator, std::move(separator));
    press = countPress();
  }
  // `previous` is released here, outside the lock; runs hold copies, never this block.
  return press;
}

// A run of a press that is already superseded takes the newer separator; it stops before
// its first line, so that is never used.
RunStart beginRun(uint32_t press) {
  std::lock_guard guard(separatorLock);
  return RunStart{fieldSeparator, RunPress(press)};
}

RunStart beginRun() { return beginRun(latestPress()); }

void releaseFieldSeparator() {
  TextValue previous;
  std::lock_guard guard(separatorLock);
  previous = std::move(fieldSeparator);
}
