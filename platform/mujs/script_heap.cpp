// Every block starts with a 16-byte header holding its size class (0: a large block from
// malloc) and the size asked for, so freeing needs no size and blocks stay 16-byte aligned.
// Under AddressSanitizer, headers, free blocks and the slack after each block are poisoned,
// so the interpreter's reads past a block or after a free are still caught (the macros are
// empty in other builds).
#include "platform/mujs/script_heap.h"

#include "platform/out_of_memory.h"

#include <sanitizer/asan_interface.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

struct Header {
  size_t sizeClass;
  size_t size;
};
static_assert(sizeof(Header) == 16);

Header* headerOf(void* block) {
  Header* header = static_cast<Header*>(block) - 1;
  ASAN_UNPOISON_MEMORY_REGION(header, sizeof(Header));
  return header;
}

void hide(Header* header) { ASAN_POISON_MEMORY_REGION(header, sizeof(Header)); }

}  // namespace

ScriptHeap::~ScriptHeap() {
  while (large_ != nullptr) std::free(std::exchange(large_, large_->next));
  for (void* chunk : chunks_) {
    ASAN_UNPOISON_MEMORY_REGION(chunk, kChunk);
    std::free(chunk);
  }
}

void ScriptHeap::link(LargeLinks* links) {
  links->previous = nullptr;
  links->next = large_;
  if (large_ != nullptr) large_->previous = links;
  large_ = links;
}

void ScriptHeap::unlink(LargeLinks* links) {
  if (links->previous != nullptr) links->previous->next = links->next;
  else large_ = links->next;
  if (links->next != nullptr) links->next->previous = links->previous;
}

char* ScriptHeap::carve(size_t blockSize) {
  if (chunkAt_ == nullptr || static_cast<size_t>(chunkEnd_ - chunkAt_) < blockSize) {
    void* chunk = std::malloc(kChunk);
    if (chunk == nullptr) return nullptr;
    chunks_.push_back(chunk);
    chunkAt_ = static_cast<char*>(chunk);
    chunkEnd_ = chunkAt_ + kChunk;
    ASAN_POISON_MEMORY_REGION(chunk, kChunk);
  }
  char* block = chunkAt_;
  chunkAt_ += blockSize;
  return block;
}

void* ScriptHeap::take(size_t size) {
  Header* header = nullptr;
  size_t sizeClass = 0;
  if (size > kLargestSmall) {
    auto* links = static_cast<LargeLinks*>(std::malloc(sizeof(LargeLinks) + sizeof(Header) + size));
    if (links == nullptr) return nullptr;
    link(links);
    header = reinterpret_cast<Header*>(links + 1);
  } else {
    sizeClass = (size + kGranule - 1) / kGranule;
    if (free_[sizeClass] != nullptr) {
      FreeBlock* reused = free_[sizeClass];
      ASAN_UNPOISON_MEMORY_REGION(reused, sizeof(FreeBlock));
      free_[sizeClass] = reused->next;
      header = reinterpret_cast<Header*>(reused);
    } else {
      header = reinterpret_cast<Header*>(carve(sizeof(Header) + sizeClass * kGranule));
      if (header == nullptr) return nullptr;
    }
    ASAN_UNPOISON_MEMORY_REGION(header, sizeof(Header) + size);
  }
  header->sizeClass = sizeClass;
  header->size = size;
  hide(header);
  return header + 1;
}

void* ScriptHeap::resize(void* block, size_t size) {
  Header* header = headerOf(block);
  if (header->sizeClass == 0 && size > kLargestSmall) {
    // Taken out of the list while it may move, and put back where it is after.
    LargeLinks* links = linksOf(header);
    unlink(links);
    auto* moved = static_cast<LargeLinks*>(std::realloc(links, sizeof(LargeLinks) + sizeof(Header) + size));
    if (moved == nullptr) {
      link(links);
      hide(header);
      return nullptr;
    }
    link(moved);
    header = reinterpret_cast<Header*>(moved + 1);
    header->size = size;
    hide(header);
    return header + 1;
  }
  if (header->sizeClass != 0 && size <= header->sizeClass * kGranule) {
    ASAN_POISON_MEMORY_REGION(block, header->sizeClass * kGranule);
    ASAN_UNPOISON_MEMORY_REGION(block, size);
    header->size = size;
    hide(header);
    return block;
  }
  const size_t kept = header->size < size ? header->size : size;
  hide(header);
  void* moved = take(size);
  if (moved == nullptr) return nullptr;
  std::memcpy(moved, block, kept);
  give(block);
  return moved;
}

void ScriptHeap::give(void* block) {
  Header* header = headerOf(block);
  const size_t sizeClass = header->sizeClass;
  if (sizeClass == 0) {
    LargeLinks* links = linksOf(header);
    unlink(links);
    std::free(links);
    return;
  }
  ASAN_POISON_MEMORY_REGION(block, sizeClass * kGranule);
  auto* freed = reinterpret_cast<FreeBlock*>(header);
  freed->next = free_[sizeClass];
  free_[sizeClass] = freed;
  ASAN_POISON_MEMORY_REGION(freed, sizeof(Header));
}

// A refused block goes to the program's out-of-memory routine when it has one: the
// interpreter would only make a failed evaluation of it, and the program would go on with
// values missing. Without one the interpreter gets null and throws its own error.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the interpreter's own signature
void* ScriptHeap::allocate(void* heap, void* block, int size) {
  auto& self = *static_cast<ScriptHeap*>(heap);
  if (size <= 0) {
    if (block != nullptr) self.give(block);
    return nullptr;
  }
  void* result = block == nullptr ? self.take(static_cast<size_t>(size)) : self.resize(block, static_cast<size_t>(size));
  if (result == nullptr) {
    if (const OutOfMemoryHandler handler = outOfMemoryHandler()) handler(static_cast<size_t>(size));
  }
  return result;
}
