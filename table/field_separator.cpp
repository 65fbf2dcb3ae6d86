// One small lock orders the click handler's replacement of the separator with each run's copy.
#include "table/field_separator.h"

#include <mutex>
#include <utility>

namespace {

std::mutex separatorLock;
TextValue fieldSeparator;  // absent before the first press
uint64_t pressCount = 0;

}  // namespace

void pressWithSeparator(TextValue separator) {
  TextValue previous;
  {
    std::lock_guard guard(separatorLock);
    previous = std::exchange(fieldSeparator, std::move(separator));
    ++pressCount;
  }
  // `previous` is released here, outside the lock; runs hold copies, never this block.
}

RunStart beginRun() {
  std::lock_guard guard(separatorLock);
  return RunStart{fieldSeparator, pressCount};
}

bool isLatestPress(uint64_t press) {
  std::lock_guard guard(separatorLock);
  return press == pressCount;
}

void releaseFieldSeparator() {
  TextValue previous;
  std::lock_guard guard(separatorLock);
  previous = std::move(fieldSeparator);
}
