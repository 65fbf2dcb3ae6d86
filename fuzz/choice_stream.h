// Where the differential fuzzers' choices come from. Under libFuzzer the input's bytes make the
// choices while they last, so its mutations steer the texts; after them, and for the test
// driver's fixed seed, a small generator (splitmix64) does, the same on every machine.
#pragma once

#include <cstddef>
#include <cstdint>

class ChoiceStream {
 public:
  explicit ChoiceStream(uint64_t seed) : state_(seed) {}
  // The bytes are lent for the stream's life; the generator behind them is seeded from them.
  ChoiceStream(const uint8_t* data, size_t size) : data_(data), size_(size) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001b3u;
    state_ = hash;
  }

  // A number from 0 to n - 1 (n at least 1).
  uint32_t below(uint32_t n) {
    if (n <= 1) return 0;
    if (at_ < size_) {
      uint32_t value = data_[at_++];
      if (n > 256 && at_ < size_) value = value << 8 | data_[at_++];
      return value % n;
    }
    return static_cast<uint32_t>(nextRandom() % n);
  }
  // True one time in n.
  bool oneIn(uint32_t n) { return below(n) == 0; }
  // A number from low to high, both included.
  int32_t between(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(below(static_cast<uint32_t>(high - low + 1)));
  }

 private:
  uint64_t nextRandom() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t at_ = 0;
  uint64_t state_ = 0;
};
