// ComObject, the program's counted reference to an automation object, and the operations
// the JSON document makes on one: create by ProgID, get, put and call a member by name.
// Texts are GBK TextValues here and cross to the object as UTF-16 through the code page.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/object_access.h"
#include "runtime/text_value.h"

class ComObject {
 public:
  ComObject() noexcept = default;
  ~ComObject() { clear(); }

  // Copying adds a reference to the same object; moving hands the reference over.
  ComObject(const ComObject& other) noexcept;
  ComObject& operator=(const ComObject& other) noexcept;
  ComObject(ComObject&& other) noexcept : reference_(other.reference_) { other.reference_ = nullptr; }
  ComObject& operator=(ComObject&& other) noexcept;

  // Takes over one reference the caller already holds.
  static ComObject adopt(PlatformObject* reference) noexcept;

  // Releases the reference and leaves the object empty.
  void clear() noexcept;
  bool isEmpty() const noexcept { return reference_ == nullptr; }
  // The reference, lent; null when empty.
  PlatformObject* reference() const noexcept { return reference_; }

 private:
  PlatformObject* reference_ = nullptr;
};

// Creates the object registered under progId (or a "{...}" class id). Only on success is
// the new reference stored in target, releasing the old one; otherwise target is unchanged.
bool createObject(ComObject& target, const char* progId);

// Member access. Each answers the zero value (false, 0, empty text, empty object) when the
// object is empty, the member is unknown, the call fails or the result will not convert.
// `argument` is the one text argument; null passes none.
bool getBoolean(const ComObject& object, const char* member);
double getDouble(const ComObject& object, const char* member);
TextValue getText(const ComObject& object, const char* member);
// Puts the text; true when the object accepted it.
bool putText(const ComObject& object, const char* member, const char* value);
bool callBoolean(const ComObject& object, const char* member, const char* argument = nullptr);
double callDouble(const ComObject& object, const char* member, const char* argument = nullptr);
TextValue callText(const ComObject& object, const char* member, const char* argument = nullptr);
ComObject callObject(const ComObject& object, const char* member, const char* argument = nullptr);
// Calls and drops the result.
void callMember(const ComObject& object, const char* member, const char* argument = nullptr);
// The same calls with an argument whose length the caller already knows, so it is not measured
// again. The bytes hold no NUL: they are read as the text the same bytes with a NUL after them
// would be.
bool callBoolean(const ComObject& object, const char* member, std::string_view argument);
double callDouble(const ComObject& object, const char* member, std::string_view argument);
TextValue callText(const ComObject& object, const char* member, std::string_view argument);
void callMember(const ComObject& object, const char* member, std::string_view argument);

// The status of the calling thread's last member access: 0, or a negative ObjectStatus.
int32_t lastAccessStatus();
