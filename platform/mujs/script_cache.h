// Which source texts the script control holds compiled, and in which slot. The cell store
// sends the same few texts line after line, and compiling costs more than running them.
// Only the exact text finds its slot; the compiled scripts themselves live in the interpreter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ScriptCache {
 public:
  static constexpr int kSlots = 256;
  static constexpr int kWays = 4;
  // Longer texts are compiled every time: they are rare (a whole document) and would pin memory.
  static constexpr size_t kLongestSource = 2048;

  struct Lookup {
    size_t hash = 0;
    int slot = -1;  // -1 when the text has no slot
  };

  // The slot holding exactly `source`, and the text's hash for a following claim.
  Lookup find(std::u16string_view source);
  // A slot for `source` (found absent by `lookup`): the least recently used of its set.
  // Returns -1 for a text too long to keep. The caller puts the compiled script there.
  int claim(const Lookup& lookup, std::u16string_view source);

 private:
  struct Entry {
    std::u16string source;  // its buffer is reused by the next text in this slot
    size_t hash = 0;
    uint64_t lastUse = 0;  // 0: empty
  };

  std::array<Entry, kSlots> entries_;
  uint64_t clock_ = 0;
};
