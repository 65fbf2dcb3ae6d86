// What the program that raises fatal errors asks for when its memory is to be refused, and
// the size its box then names, shared with the test that reads the box.
#pragma once

#include <cstddef>
#include <string>

// No address space holds a block this big, on either architecture.
inline constexpr std::size_t kRefusedHeapBlock = ~std::size_t{0} - 4095;

// A text doubled until the engine's strings can grow no longer: the engine answers that it
// is out of memory after 28 doublings, having held next to nothing (the doubled strings are
// joined, not copied).
inline constexpr char kTextTheEngineRefuses[] = "var s = 'x'; for (;;) s += s;";

// What the engine was handed: the text as UTF-16, after a line break, with its terminator.
inline std::size_t engineRefusalSize() { return (sizeof kTextTheEngineRefuses + 1) * sizeof(char16_t); }
