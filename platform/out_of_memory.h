// Where a backend turns when memory it cannot do without is refused: the program installs
// the routine that ends it its own way (the same box as for its own failed allocations).
// A backend with no routine installed fails as its interface says (a null block, an error).
#pragma once

#include <cstddef>

// Called with the size that was refused; must not return.
using OutOfMemoryHandler = void (*)(std::size_t size);

// Installs handler (null: none); returns the previous one. Any thread may call either.
OutOfMemoryHandler setOutOfMemoryHandler(OutOfMemoryHandler handler);
OutOfMemoryHandler outOfMemoryHandler();

// Calls the installed routine with the size that was refused; returns only when there is none.
void reportRefusedMemory(std::size_t size);
