// The error object answers from its own copy of the record, so it stays as it was when
// "Error" was called, whatever the control runs afterwards. The interpreter's texts are
// read here: compile errors say "FILE:LINE: message", runtime errors carry a stack trace of
// "\n\tat name (file:line)", "\n\tat file:line" or, for native code, "\n\tat name (native)".
#include "platform/mujs/script_error.h"

#include <array>
#include <charconv>
#include <utility>

#include "platform/mujs/class_members.h"

namespace {

constexpr std::array<ClassMember, 8> kErrorMembers{{
    {u"Number", InvokePropertyGet},
    {u"Source", InvokePropertyGet},
    {u"Description", InvokePropertyGet},
    {u"HelpFile", InvokePropertyGet},
    {u"HelpContext", InvokePropertyGet},
    {u"Text", InvokePropertyGet},
    {u"Line", InvokePropertyGet},
    {u"Column", InvokePropertyGet},
}};

int32_t bindErrorMember(std::u16string_view name, uint32_t* kinds) {
  return findClassMember(kErrorMembers, name, kinds);
}

int32_t invokeErrorMember(void* instance, int32_t member, InvokeKind, const Argument*, int32_t count,
                          Variant* result) {
  if (count != 0) return ObjectBadArgumentCount;
  const auto& error = *static_cast<const ScriptError*>(instance);
  auto number = [result](int32_t value) {
    result->type = VariantType::Double;
    result->number = value;
  };
  auto text = [result](const std::u16string& value) {
    result->type = VariantType::Text;
    result->text = value;
  };
  switch (member) {
    case 0: number(error.number); break;
    case 1: text(error.source); break;
    case 2: text(error.description); break;
    case 3: text(error.helpFile); break;
    case 4: number(error.helpContext); break;
    case 5: text(error.text); break;
    case 6: number(error.line); break;
    case 7: number(error.column); break;
  }
  return ObjectOk;
}

void destroyError(void* instance) { delete static_cast<ScriptError*>(instance); }

const ObjectClass kErrorClass{nullptr, nullptr, bindErrorMember, invokeErrorMember, destroyError};

// The decimal number at the start of text and how many digits it took; 0 when there is none.
int32_t leadingNumber(std::string_view text, size_t* digits) {
  int32_t number = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), number);
  *digits = static_cast<size_t>(read.ptr - text.data());
  return read.ec == std::errc() ? number : 0;
}

}  // namespace

PlatformObject* newErrorObject(const ScriptError& error) {
  return platformObjects().wrap(&kErrorClass, new ScriptError(error));
}

int32_t errorNumberOf(std::string_view name) {
  static constexpr std::pair<std::string_view, int32_t> kNumbers[] = {
      {"SyntaxError", kSyntaxError}, {"ReferenceError", kReferenceError}, {"TypeError", kTypeError},
      {"RangeError", kRangeError},   {"URIError", kUriError},             {"EvalError", kEvalError},
  };
  for (const auto& [known, number] : kNumbers) {
    if (name == known) return number;
  }
  return kOtherError;
}

int32_t traceLine(std::string_view trace) {
  while (!trace.empty()) {
    const size_t end = trace.find('\n', 1);
    std::string_view frame = trace.substr(0, end);
    trace = end == std::string_view::npos ? std::string_view() : trace.substr(end);
    if (!frame.empty() && frame.back() == ')') frame.remove_suffix(1);
    const size_t colon = frame.rfind(':');
    if (colon == std::string_view::npos) continue;
    size_t digits = 0;
    const int32_t line = leadingNumber(frame.substr(colon + 1), &digits);
    if (line > 0 && colon + 1 + digits == frame.size()) return line;
  }
  return 0;
}

std::string_view splitCompileLine(std::string_view message, std::string_view file, int32_t* line) {
  if (message.substr(0, file.size()) != file || message.substr(file.size(), 1) != ":") return message;
  const std::string_view rest = message.substr(file.size() + 1);
  size_t digits = 0;
  const int32_t number = leadingNumber(rest, &digits);
  if (digits == 0 || rest.substr(digits, 2) != ": ") return message;
  *line = number;
  return rest.substr(digits + 2);
}

std::string_view sourceLine(std::string_view code, int32_t line) {
  if (line < 1) return {};
  for (int32_t current = 1; current < line; ++current) {
    const size_t next = code.find('\n');
    if (next == std::string_view::npos) return {};
    code.remove_prefix(next + 1);
  }
  return code.substr(0, code.find_first_of("\r\n"));
}
