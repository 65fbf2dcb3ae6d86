// A set-associative table: the hash picks a set of four slots, the least recently used of
// which gives way. Texts seen once per line (with a line number in them) then only ever
// displace each other, not the texts every line repeats.
#include "platform/mujs/script_cache.h"

#include <functional>

namespace {

constexpr int kSets = ScriptCache::kSlots / ScriptCache::kWays;

int firstSlotOfSet(size_t hash) { return static_cast<int>(hash % kSets) * ScriptCache::kWays; }

}  // namespace

ScriptCache::Lookup ScriptCache::find(std::u16string_view source) {
  Lookup lookup;
  lookup.hash = std::hash<std::u16string_view>{}(source);
  const int first = firstSlotOfSet(lookup.hash);
  for (int slot = first; slot < first + kWays; ++slot) {
    Entry& entry = entries_[slot];
    if (entry.lastUse != 0 && entry.hash == lookup.hash && entry.source == source) {
      entry.lastUse = ++clock_;
      lookup.slot = slot;
      break;
    }
  }
  return lookup;
}

int ScriptCache::claim(const Lookup& lookup, std::u16string_view source) {
  if (source.size() > kLongestSource) return -1;
  const int first = firstSlotOfSet(lookup.hash);
  int victim = first;
  for (int slot = first + 1; slot < first + kWays; ++slot) {
    if (entries_[slot].lastUse < entries_[victim].lastUse) victim = slot;
  }
  Entry& entry = entries_[victim];
  entry.source.assign(source);
  entry.hash = lookup.hash;
  entry.lastUse = ++clock_;
  return victim;
}
