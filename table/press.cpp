// The press count is atomic so a run can ask about it at every line without a lock.
#include "table/press.h"

#include <atomic>

namespace {

std::atomic<uint32_t> pressCount{0};  // wraps after 2^32 presses, far past any session

}  // namespace

uint32_t countPress() { return ++pressCount; }

uint32_t latestPress() { return pressCount.load(); }

// Relaxed: on a worker a late answer only costs one more line; the write is decided on the
// main thread, where every press is counted, so there the answer is never late.
bool RunPress::superseded() const { return counted_ && pressCount.load(std::memory_order_relaxed) != press_; }
