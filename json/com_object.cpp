// ComObject over the platform's object system. Every access goes through one routine that
// converts the name and argument to UTF-16 and the answer back to GBK; the buffers live per
// thread so repeated evaluations reuse them. What crosses is mostly ASCII (member names,
// expressions), which reads the same in GBK and UTF-16 and skips the code page.
#include "json/com_object.h"

#include <cstring>
#include <string>
#include <utility>

#include "platform/code_page.h"
#include "runtime/heap.h"

ComObject::ComObject(const ComObject& other) noexcept : reference_(other.reference_) {
  platformObjects().addReference(reference_);
}

ComObject& ComObject::operator=(const ComObject& other) noexcept {
  if (this != &other) *this = ComObject(other);
  return *this;
}

ComObject& ComObject::operator=(ComObject&& other) noexcept {
  if (this != &other) {
    PlatformObject* incoming = std::exchange(other.reference_, nullptr);
    clear();
    reference_ = incoming;
  }
  return *this;
}

ComObject ComObject::adopt(PlatformObject* reference) noexcept {
  ComObject object;
  object.reference_ = reference;
  return object;
}

void ComObject::clear() noexcept {
  platformObjects().release(std::exchange(reference_, nullptr));
}

bool createObject(ComObject& target, const char* progId) {
  PlatformObject* created = nullptr;
  const std::u16string name = platformCodePage().toUtf16(progId != nullptr ? progId : "");
  if (platformObjects().create(name, &created) != ObjectOk) return false;
  target = ComObject::adopt(created);
  return true;
}

namespace {

// Whether `text` is `last` (which holds no NUL), compared without measuring `text` first.
bool sameName(const std::string& last, const char* text) { return std::strcmp(last.c_str(), text) == 0; }

// Makes the access and leaves the answer, already coerced to `want`, in the returned
// per-thread variant (the zero value of `want` on failure).
// `argument` points at `length` bytes, or is null for no argument.
Variant& access(const ComObject& object, const char* member, MemberAccess kind, const char* argument,
                size_t length, VariantType want) {
  // One per-thread object, so that one guard, not four, is passed on every access.
  struct Buffers {
    Variant answer;
    std::string lastMember;  // nearly every access names the member the last one did
    std::u16string name;
    std::u16string text;
  };
  thread_local Buffers buffers;
  const CodePage& codePage = platformCodePage();
  if (!sameName(buffers.lastMember, member)) {
    codePage.convertToUtf16(member, &buffers.name);
    buffers.lastMember = member;
  }
  Argument passed;
  if (argument != nullptr) {
    codePage.convertToUtf16(std::string_view(argument, length), &buffers.text);
    passed.type = VariantType::Text;
    passed.text = buffers.text;
  }
  platformObjects().access(object.reference(), buffers.name, kind, &passed, argument != nullptr ? 1 : 0, want,
                           &buffers.answer);
  return buffers.answer;
}

// The length of a C-string argument; a null one passes none.
size_t measured(const char* argument) { return argument != nullptr ? std::strlen(argument) : 0; }

// A known-length argument is always passed, even an empty view of nothing.
const char* present(std::string_view argument) { return argument.data() != nullptr ? argument.data() : ""; }

// The answer as a new GBK text.
TextValue takeText(const Variant& answer) {
  if (answer.text.empty()) return TextValue();
  thread_local std::string bytes;
  platformCodePage().convertToAnsi(answer.text, &bytes);
  return TextValue::copyOf(bytes);
}

ComObject takeObject(Variant& answer) {
  return ComObject::adopt(std::exchange(answer.object, nullptr));
}

}  // namespace

bool getBoolean(const ComObject& object, const char* member) {
  return access(object, member, MemberAccess::Get, nullptr, 0, VariantType::Boolean).boolean;
}

double getDouble(const ComObject& object, const char* member) {
  return access(object, member, MemberAccess::Get, nullptr, 0, VariantType::Double).number;
}

TextValue getText(const ComObject& object, const char* member) {
  return takeText(access(object, member, MemberAccess::Get, nullptr, 0, VariantType::Text));
}

bool putText(const ComObject& object, const char* member, const char* value) {
  (void)access(object, member, MemberAccess::Put, value != nullptr ? value : "", measured(value), VariantType::Empty);
  return lastAccessStatus() == ObjectOk;
}

bool callBoolean(const ComObject& object, const char* member, const char* argument) {
  return access(object, member, MemberAccess::Call, argument, measured(argument), VariantType::Boolean).boolean;
}

double callDouble(const ComObject& object, const char* member, const char* argument) {
  return access(object, member, MemberAccess::Call, argument, measured(argument), VariantType::Double).number;
}

TextValue callText(const ComObject& object, const char* member, const char* argument) {
  return takeText(access(object, member, MemberAccess::Call, argument, measured(argument), VariantType::Text));
}

ComObject callObject(const ComObject& object, const char* member, const char* argument) {
  return takeObject(access(object, member, MemberAccess::Call, argument, measured(argument), VariantType::Object));
}

void callMember(const ComObject& object, const char* member, const char* argument) {
  (void)access(object, member, MemberAccess::Call, argument, measured(argument), VariantType::Empty);
}

bool callBoolean(const ComObject& object, const char* member, std::string_view argument) {
  return access(object, member, MemberAccess::Call, present(argument), argument.size(), VariantType::Boolean).boolean;
}

double callDouble(const ComObject& object, const char* member, std::string_view argument) {
  return access(object, member, MemberAccess::Call, present(argument), argument.size(), VariantType::Double).number;
}

TextValue callText(const ComObject& object, const char* member, std::string_view argument) {
  return takeText(access(object, member, MemberAccess::Call, present(argument), argument.size(), VariantType::Text));
}

void callMember(const ComObject& object, const char* member, std::string_view argument) {
  (void)access(object, member, MemberAccess::Call, present(argument), argument.size(), VariantType::Empty);
}

int32_t lastAccessStatus() { return platformObjects().lastStatus(); }
