// The classes a process registers for itself, as both object layers keep them: by ProgID
// and class id, a ProgID registered again replacing its entry, names compared without regard
// to ASCII case. Safe to use from any thread.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/object_access.h"

class ClassRegistry {
 public:
  // Registers objectClass under progId and classId, replacing an entry of the same ProgID.
  void add(std::u16string_view progId, std::u16string_view classId, const ObjectClass* objectClass);
  // Removes the entry of progId; false when there was none.
  bool remove(std::u16string_view progId);
  // The class registered under name: a class id when name begins with "{", else a ProgID;
  // null when there is none.
  const ObjectClass* find(std::u16string_view name);

 private:
  struct Entry {
    std::u16string progId;
    std::u16string classId;
    const ObjectClass* objectClass;
  };
  std::mutex lock_;
  std::vector<Entry> entries_;
};
