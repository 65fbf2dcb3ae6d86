// The process heap as the program's values use it, and the constant block beside it:
// every text or array block comes from allocate() and goes back through release(),
// which leaves constant texts alone so a variable may hold either.
#pragma once

#include <cstddef>
#include <string_view>

// Returns a block of `size` bytes (not cleared). Never null: when the heap refuses, the
// fatal-error service ends the program with "分配 <size> 字节内存失败!". Every plain new of
// the process comes here too; the nothrow forms answer null.
void* allocate(std::size_t size);

// Returns a block to the heap; does nothing for null and for an address in the constant block.
void release(const void* block);

// Returns the address of `text` (plus a NUL) inside the constant block, interning it on first
// use. The block lives until the process ends; release() ignores addresses inside it.
const char* constantText(std::string_view text);

// True when `address` lies inside the constant block.
bool isConstant(const void* address);
