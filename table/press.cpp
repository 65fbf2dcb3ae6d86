// One small lock orders the click handler's replacement of the separator with each run's copy.
// The press count changes under it too, but is atomic so a run can ask about it at every line
// without the lock.
#include "table/press.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace {

std::mutex separatorLock;
TextValue fieldSeparator;  // absent before the first press
std::atomic<uint32_t> pressCount{0};  // wraps after 2^32 presses, far past any session

}  // namespace

uint32_t pressWithSeparator(TextValue separator) {
  TextValue previous;
  uint32_t press = 0;
  {
    std::lock_guard guard(separatorLock);
    previous = std::exchange(fieldSeparator, std::move(separator));
    press = ++pressCount;
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

RunStart beginRun() { return beginRun(pressCount.load()); }

// Relaxed: on a worker a late answer only costs one more line; the write is decided on the
// main thread, where every press is counted, so there the answer is never late.
bool RunPress::superseded() const { return counted_ && pressCount.load(std::memory_order_relaxed) != press_; }

void releaseFieldSeparator() {
  TextValue previous;
  std::lock_guard guard(separatorLock);
  previous = std::move(fieldSeparator);
}
