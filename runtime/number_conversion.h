// Floating values become integers by one rule everywhere in the program.
#pragma once

#include <cstdint>

// Rounds x toward zero to a signed 64-bit integer and keeps its low 32 bits
// (3000000000.0 gives -1294967296). NaN and values outside the 64-bit range give 0.
int32_t truncateToInteger(double x);
