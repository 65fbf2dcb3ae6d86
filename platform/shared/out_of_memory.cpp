#include "platform/out_of_memory.h"

#include <atomic>

namespace {

std::atomic<OutOfMemoryHandler> installed{nullptr};

}  // namespace

OutOfMemoryHandler setOutOfMemoryHandler(OutOfMemoryHandler handler) { return installed.exchange(handler); }

OutOfMemoryHandler outOfMemoryHandler() { return installed.load(); }
