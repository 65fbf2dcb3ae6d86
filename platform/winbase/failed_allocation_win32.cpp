// The C++ heap's refusals end the Windows program as its own failed allocations do: the box
// that names the size, then exit code -1. A 32-bit process reaches the end of its address
// space with a big enough paste, and a container's std::bad_alloc thrown on a worker ended
// the program with an abort and no word. The forms that may fail quietly still do.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <utility>

#include "platform/out_of_memory.h"

namespace {

void* take(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

// Held from the start and given back at the first refusal, so that the box and the end of
// the program find the little memory they need even when nothing was left.
void* reserve = std::malloc(std::size_t{2} << 20);
thread_local bool ending = false;

void* takeOrEnd(std::size_t size) {
  if (void* block = take(size)) return block;
  // A refusal while this thread is already ending the program cannot show a box any more.
  if (ending) ExitProcess(static_cast<UINT>(-1));
  ending = true;
  std::free(std::exchange(reserve, nullptr));
  reportRefusedMemory(size);
  ending = false;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return takeOrEnd(size); }
void* operator new[](std::size_t size) { return takeOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return take(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
