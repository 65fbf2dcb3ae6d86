// Each interpreter's own heap. Compiling a text makes and drops hundreds of small blocks (tree
// nodes, code, names), more than the C library's per-thread cache holds, so small blocks come
// from per-size free lists carved out of large chunks; large ones go to malloc. A chunk is
// large enough (1 MiB) that the C library maps it from the system and gives it back when the
// heap ends; a big cell store takes a hundred of them, not thousands of small ones. Large
// blocks are listed too, so the heap can end with everything still in it: an interpreter's
// memory is all here, and a big store's hundreds of thousands of objects need not be freed
// one by one only for their chunks to go back after.
#pragma once

#include <cstddef>
#include <vector>

class ScriptHeap {
 public:
  ScriptHeap() = default;
  // Frees every chunk and every large block still taken; the interpreter using the heap must
  // not run again.
  ~ScriptHeap();
  ScriptHeap(const ScriptHeap&) = delete;
  ScriptHeap& operator=(const ScriptHeap&) = delete;

  // The interpreter's allocation function: `heap` is a ScriptHeap; realloc's rules, except
  // that size 0 frees and answers null. Null when memory runs out.
  static void* allocate(void* heap, void* block, int size);

 private:
  static constexpr size_t kGranule = 16;
  static constexpr size_t kLargestSmall = 512;
  static constexpr size_t kClasses = kLargestSmall / kGranule;
  static constexpr size_t kChunk = 1024 * 1024;

  struct FreeBlock {
    FreeBlock* next;
  };
  // In front of a large block's header: its neighbours in the list of large blocks.
  struct LargeLinks {
    LargeLinks* previous;
    LargeLinks* next;
  };
  static_assert(sizeof(LargeLinks) == 16, "keeps large blocks 16-byte aligned");

  static LargeLinks* linksOf(void* header) { return static_cast<LargeLinks*>(header) - 1; }
  void link(LargeLinks* links);
  void unlink(LargeLinks* links);

  void* take(size_t size);
  void* resize(void* block, size_t size);
  void give(void* block);
  char* carve(size_t blockSize);

  FreeBlock* free_[kClasses + 1] = {};  // by size class; class 0 is never used
  char* chunkAt_ = nullptr;
  char* chunkEnd_ = nullptr;
  std::vector<void*> chunks_;
  LargeLinks* large_ = nullptr;  // the most recently linked large block
};
