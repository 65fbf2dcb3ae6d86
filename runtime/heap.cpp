// The heap is malloc's, which is thread-safe; the constant block is one fixed arena that
// only grows (texts are interned once and never move), so a range test tells constants apart.
#include "runtime/heap.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <string>

#include "platform/out_of_memory.h"
#include "runtime/runtime_error.h"

namespace {

constexpr std::size_t kConstantBlockSize = std::size_t{64} * 1024;
char constantBlock[kConstantBlockSize];
std::size_t constantUsed = 0;
std::mutex constantLock;

// Memory held back from the start and given up when an allocation is refused, so that the
// box saying so still has room to be shown.
constexpr std::size_t kReserveSize = std::size_t{8} * 1024 * 1024;
std::atomic<void*> reserve{std::malloc(kReserveSize)};

[[noreturn]] void reportFailedAllocation(std::size_t size) {
  std::free(reserve.exchange(nullptr));
  const std::string message = "分配 " + std::to_string(size) + " 字节内存失败!";
  reportFatalMessage(message.c_str(), ErrorSite{});
}

// The platform's own allocations that cannot fail softly (the script interpreter's heap) end
// the program the same way as ours, from the start of any program that uses this heap.
const bool platformReportsHere = (setOutOfMemoryHandler(reportFailedAllocation), true);

// The toolkit checks some of its allocations itself and throws std::bad_alloc when one is
// refused (its containers take their memory from malloc, not from our new); nothing catches
// that, and the program would abort. It ends through the same box, though without the size,
// which the exception does not carry. Any other uncaught exception goes on to the handler
// that was there before.
std::terminate_handler previousTerminate = nullptr;

[[noreturn]] void endOnUncaughtException() {
  if (const std::exception_ptr thrown = std::current_exception()) {
    bool refusedMemory = false;
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      refusedMemory = true;
    } catch (...) {
    }
    if (refusedMemory) {
      std::free(reserve.exchange(nullptr));
      reportFatalMessage("分配内存失败!", ErrorSite{});
    }
  }
  if (previousTerminate != nullptr) previousTerminate();
  std::abort();
}

const bool refusalsThrownReportHere = (previousTerminate = std::set_terminate(endOnUncaughtException), true);

}  // namespace

void* allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) reportFailedAllocation(size);
  return block;
}

void release(const void* block) {
  if (block == nullptr || isConstant(block)) return;
  std::free(const_cast<void*>(block));
}

const char* constantText(std::string_view text) {
  std::lock_guard lock(constantLock);
  // Interned texts are few and short: a linear search is the simple way to share them.
  for (std::size_t at = 0; at < constantUsed; at += std::strlen(constantBlock + at) + 1) {
    if (text == constantBlock + at && text.find('\0') == std::string_view::npos) {
      return constantBlock + at;
    }
  }
  if (constantUsed + text.size() + 1 > kConstantBlockSize) {
    reportFatalMessage("常量区已满!", ErrorSite::here());
  }
  char* place = constantBlock + constantUsed;
  std::copy(text.begin(), text.end(), place);
  place[text.size()] = '\0';
  constantUsed += text.size() + 1;
  return place;
}

bool isConstant(const void* address) {
  const auto p = reinterpret_cast<std::uintptr_t>(address);
  const auto begin = reinterpret_cast<std::uintptr_t>(constantBlock);
  return p >= begin && p < begin + kConstantBlockSize;
}

// Every plain new of the process, the toolkit's included, ends the program the way allocate()
// does when it is refused, rather than with an exception nobody catches; the nothrow forms
// still answer null, and every delete frees what these news took. They stand beside allocate()
// so that they come into every program with it: on their own, a sanitizer's runtime, linked
// first, would answer for them. ThreadSanitizer reads what the toolkit frees through its own
// new and delete, whose reports it leaves to the uninstrumented toolkit; a delete of ours in
// between would be blamed for the toolkit's races, so that build keeps the runtime's.
#if !defined(CELLBRAE_SANITIZE_THREAD)
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
#endif
