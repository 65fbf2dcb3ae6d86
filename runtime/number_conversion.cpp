#include "runtime/number_conversion.h"

#include <cmath>

int32_t truncateToInteger(double x) {
  // 2^63 is exactly representable; anything at or beyond it (or NaN) has no 64-bit value.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(x >= -kLimit && x < kLimit)) return 0;
  const auto whole = static_cast<int64_t>(std::trunc(x));
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}
