// A class's table of members, found by name the way automation finds them: ignoring the case
// of ASCII letters. The script control and its error object each keep one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct ClassMember {
  std::u16string_view name;
  uint32_t invokeKinds;  // InvokeKind bits the member accepts
};

// True when the names are equal but for the case of ASCII letters.
inline bool sameMemberName(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t unit) { return unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The index of the member called `name`, with its invoke kinds in *kinds; -1 when none is.
inline int32_t findClassMember(std::span<const ClassMember> members, std::u16string_view name,
                               uint32_t* kinds) {
  for (size_t i = 0; i < members.size(); ++i) {
    if (sameMemberName(members[i].name, name)) {
      *kinds = members[i].invokeKinds;
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}
