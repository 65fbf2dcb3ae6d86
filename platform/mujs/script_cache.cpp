// A set-associative table: the hash picks a set of four slots, the least recently used of
// which gives way. Shapes seen once (a text with a literal the compiler keeps, such as a
// property name) then only ever displace each other, not the shapes every line repeats.
#include "platform/mujs/script_cache.h"

#include <functional>

namespace {

constexpr int kSets = ScriptCache::kSlots / ScriptCache::kWays;

int firstSlotOfSet(size_t hash) { return static_cast<int>(hash % kSets) * ScriptCache::kWays; }

}  // namespace

ScriptCache::Lookup ScriptCache::find(std::string_view shape) {
  Lookup lookup;
  lookup.hash = std::hash<std::string_view>{}(shape);
  const int first = firstSlotOfSet(lookup.hash);
  for (int slot = first; slot < first + kWays; ++slot) {
    Entry& entry = entries_[slot];
    if (entry.lastUse != 0 && entry.hash == lookup.hash && entry.shape == shape) {
      entry.lastUse = ++clock_;
      lookup.slot = slot;
      break;
    }
  }
  return lookup;
}

int ScriptCache::claim(const Lookup& lookup, std::string_view shape) {
  if (shape.size() > kLongestShape) return -1;
  if (lookup.slot >= 0) return lookup.slot;
  const int first = firstSlotOfSet(lookup.hash);
  int victim = first;
  for (int slot = first + 1; slot < first + kWays; ++slot) {
    if (entries_[slot].lastUse < entries_[victim].lastUse) victim = slot;
  }
  Entry& entry = entries_[victim];
  entry.shape.assign(shape);
  entry.source.clear();
  entry.hash = lookup.hash;
  entry.lastUse = ++clock_;
  return victim;
}

int ScriptCache::findSource(std::u16string_view source, size_t* hash) {
  *hash = std::hash<std::u16string_view>{}(source);
  const SourceIndexEntry& indexed = sources_[*hash % kSourceIndex];
  if (indexed.slot < 0 || indexed.hash != *hash) return -1;
  if (!holdsSource(indexed.slot, source)) return -1;
  entries_[indexed.slot].lastUse = ++clock_;
  return indexed.slot;
}

void ScriptCache::noteSource(int slot, std::u16string_view source, std::optional<size_t> hash) {
  entries_[slot].source.assign(source);
  if (hash) sources_[*hash % kSourceIndex] = SourceIndexEntry{*hash, slot};
}

