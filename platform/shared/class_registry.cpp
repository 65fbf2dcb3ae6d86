// The registry of our own classes shared by the object layers.
#include "platform/shared/class_registry.h"

namespace {

bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char16_t unit) { return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

void ClassRegistry::add(std::u16string_view progId, std::u16string_view classId, const ObjectClass* objectClass) {
  std::lock_guard guard(lock_);
  for (Entry& entry : entries_) {
    if (sameName(entry.progId, progId)) {
      entry = {std::u16string(progId), std::u16string(classId), objectClass};
      return;
    }
  }
  entries_.push_back({std::u16string(progId), std::u16string(classId), objectClass});
}

bool ClassRegistry::remove(std::u16string_view progId) {
  std::lock_guard guard(lock_);
  for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
    if (sameName(entry->progId, progId)) {
      entries_.erase(entry);
      return true;
    }
  }
  return false;
}

const ObjectClass* ClassRegistry::find(std::u16string_view name) {
  const bool byClassId = !name.empty() && name.front() == u'{';
  std::lock_guard guard(lock_);
  for (const Entry& entry : entries_) {
    if (sameName(byClassId ? entry.classId : entry.progId, name)) return entry.objectClass;
  }
  return nullptr;
}
