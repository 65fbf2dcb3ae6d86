// Which shapes of source text the script control holds compiled, and in which slot. The cell
// store sends the same few statements line after line, with other literals in them, and
// compiling costs more than running them. A shape is the interpreter's account of a text's
// tokens without its literal values; the compiled templates themselves live in the interpreter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

class ScriptCache {
 public:
  static constexpr int kSlots = 256;
  static constexpr int kWays = 4;
  // Longer texts are compiled every time: they are rare (a whole document) and would pin memory.
  static constexpr size_t kLongestSource = 2048;
  static constexpr size_t kLongestShape = 4 * kLongestSource;

  struct Lookup {
    size_t hash = 0;
    int slot = -1;  // -1 when the text has no slot
  };

  // The slot holding `shape`, and the shape's hash for a following claim.
  Lookup find(std::string_view shape);
  // A slot for `shape` after `lookup`: the one found, or the least recently used of its set.
  // Returns -1 for a shape too long to keep. The caller puts the compiled script there.
  int claim(const Lookup& lookup, std::string_view shape);

  // Texts that repeat exactly (most of the cell store's do) skip shaping: the slot whose
  // script holds exactly `source`'s literals now, or -1. *hash is for a following noteSource.
  int findSource(std::u16string_view source, size_t* hash);
  // Whether the script in `slot` holds exactly `source`'s literals now: the predicted slot is
  // asked first, which needs no hash.
  bool holdsSource(int slot, std::u16string_view source) const {
    // Compared as bytes: the library compares char16_t texts a unit at a time, and the texts
    // that come round share long beginnings.
    const Entry& entry = entries_[slot];
    return entry.lastUse != 0 && !entry.source.empty() && entry.source.size() == source.size() &&
           std::memcmp(entry.source.data(), source.data(), source.size() * sizeof(char16_t)) == 0;
  }
  // Records that the script in `slot` now holds the literals of `source`. Given its hash (from
  // findSource), findSource finds it again; without, only holdsSource does: a text whose
  // literals change every line never repeats, and its hash would be made for nothing.
  void noteSource(int slot, std::u16string_view source, std::optional<size_t> hash);

  // The texts come round in the same order line after line, so the slot that ran after the
  // last one the time before is the likeliest for the next text; -1 when there is none.
  // These three are asked on every evaluation, and are defined here to be put in place there.
  int predicted() const { return last_ >= 0 ? next_[last_] : -1; }
  // Records that the script in `slot` ran (-1: a text without a slot).
  void ran(int slot) {
    if (last_ >= 0) next_[last_] = slot;
    last_ = slot;
    if (slot >= 0) entries_[slot].lastUse = ++clock_;
  }

 private:
  struct Entry {
    std::string shape;  // its buffer is reused by the next shape in this slot
    size_t hash = 0;
    uint64_t lastUse = 0;  // 0: empty
    std::u16string source;  // the text whose literals the script holds; empty: none known
  };
  static constexpr int kSourceIndex = 1024;
  struct SourceIndexEntry {
    size_t hash = 0;
    int slot = -1;
  };

  std::array<Entry, kSlots> entries_;
  std::array<SourceIndexEntry, kSourceIndex> sources_;  // by source hash; checked against the slot
  std::array<int, kSlots> next_ = filledWith(-1);  // the slot that ran after each one last time
  int last_ = -1;

  static std::array<int, kSlots> filledWith(int value) {
    std::array<int, kSlots> slots;
    slots.fill(value);
    return slots;
  }
  uint64_t clock_ = 0;
};
