#include "platform/out_of_memory.h"

#include <atomic>

namespace {

std::atomic<OutOfMemoryHandler> installed{nullptr};

}  // namespace

OutOfMemoryHandler setOutOfMemoryHandler(OutOfMemoryHandler handler) { return installed.exchange(handler); }

OutOfMemoryHandler outOfMemoryHandler() { return installed.load(); }

void reportRefusedMemory(std::size_t size) {
  if (const OutOfMemoryHandler handler = outOfMemoryHandler()) handler(size);
}
