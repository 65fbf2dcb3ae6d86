// The script control over mujs: one interpreter per control, every text run as global code so
// what it declares stays for later calls, "Eval" answering with the completion value, compiled
// texts kept for the next time the same text comes, and a record of the last script error
// that "Error" hands out as an object of its own.
#include <mujs.h>

#include <array>
#include <charconv>
#include <cstring>
#include <string>

#include "platform/mujs/script_cache.h"
#include "platform/mujs/script_heap.h"
#include "platform/mujs/script_text.h"
#include "platform/object_access.h"
#include "platform/script_control.h"

namespace {

// Error numbers: one per kind of error the interpreter raises.
enum ScriptErrorNumber : int32_t {
  kThrownValue = 1000,
  kSyntaxError = 1001,
  kReferenceError = 1002,
  kTypeError = 1003,
  kRangeError = 1004,
  kUriError = 1005,
  kEvalError = 1006,
  kOtherError = 1007,
  kNoLanguage = 1008,
};

struct ScriptError {
  int32_t number = 0;
  std::u16string source;
  std::u16string description;
  std::u16string helpFile;
  int32_t helpContext = 0;
  std::u16string text;
  int32_t line = 0;
  int32_t column = 0;
};

// What a thrown value said, read inside the interpreter; the buffers are reused.
struct ThrownValue {
  bool isError = false;
  std::string name;
  std::string message;
  std::string trace;
};

// The name compiled texts carry; compile errors start their message with it and the line.
constexpr char kFileName[] = "script";
// Registry entries: the array of compiled texts by cache slot, and the thrown-value reader.
constexpr const char* kScriptsKey = "cellbrae.scripts";
constexpr const char* kReadThrownKey = "cellbrae.readThrown";

struct ScriptControl {
  ScriptHeap heap;  // outlives the interpreter, which frees into it last
  js_State* state = nullptr;
  std::u16string language;  // empty until a script language is chosen
  ScriptError lastError;
  ScriptCache cache;
  std::string code;  // the text being compiled, in the interpreter's encoding; reused
  ThrownValue thrown;
};

bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i];
    char16_t y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

struct Member {
  std::u16string_view name;
  uint32_t kinds;
};

int32_t findMember(const Member* members, size_t count, std::u16string_view name, uint32_t* kinds) {
  for (size_t i = 0; i < count; ++i) {
    if (sameName(members[i].name, name)) {
      *kinds = members[i].kinds;
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

// ---- the error object ------------------------------------------------------------------

constexpr std::array<Member, 8> kErrorMembers{{
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
  return findMember(kErrorMembers.data(), kErrorMembers.size(), name, kinds);
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

// ---- reading a thrown value --------------------------------------------------------------

// Called through js_pcall with the thrown value as its argument: an object's getters and
// toString may throw again. The interpreter unwinds by longjmp, so nothing here may own a
// resource across an interpreter call; the texts go straight into the control's buffers.
void readThrownValue(js_State* state) {
  ThrownValue& thrown = static_cast<ScriptControl*>(js_getcontext(state))->thrown;
  thrown.isError = js_iserror(state, 1) != 0;
  if (!thrown.isError) {
    thrown.message = js_tostring(state, 1);
  } else {
    js_getproperty(state, 1, "name");
    thrown.name = js_tostring(state, -1);
    js_pop(state, 1);
    js_getproperty(state, 1, "message");
    thrown.message = js_tostring(state, -1);
    js_pop(state, 1);
    js_getproperty(state, 1, "stackTrace");
    if (js_isstring(state, -1)) thrown.trace = js_tostring(state, -1);
    js_pop(state, 1);
  }
  js_pushundefined(state);
}

int32_t errorNumber(const ThrownValue& thrown) {
  if (!thrown.isError) return kThrownValue;
  static constexpr std::pair<std::string_view, int32_t> kNumbers[] = {
      {"SyntaxError", kSyntaxError}, {"ReferenceError", kReferenceError}, {"TypeError", kTypeError},
      {"RangeError", kRangeError},   {"URIError", kUriError},             {"EvalError", kEvalError},
  };
  for (const auto& [name, number] : kNumbers) {
    if (thrown.name == name) return number;
  }
  return kOtherError;
}

// Reads the decimal number at the start of text; 0 when there is none.
int32_t leadingNumber(std::string_view text, size_t* digits) {
  int32_t number = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), number);
  *digits = static_cast<size_t>(read.ptr - text.data());
  return read.ec == std::errc() ? number : 0;
}

// The line of the innermost frame that has one. Frames read "\n\tat name (file:line)",
// "\n\tat file:line" or, for native code, "\n\tat name (native)".
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

// A compile error's message begins "script:LINE: "; splits that off.
std::string_view splitCompileLine(std::string_view message, int32_t* line) {
  constexpr std::string_view kPrefix = "script:";
  static_assert(kPrefix.substr(0, kPrefix.size() - 1) == kFileName);
  if (message.substr(0, kPrefix.size()) != kPrefix) return message;
  size_t digits = 0;
  const std::string_view rest = message.substr(kPrefix.size());
  *line = leadingNumber(rest, &digits);
  return rest.substr(digits).substr(0, 2) == ": " ? rest.substr(digits + 2) : rest.substr(digits);
}

// The source line `line` (counting from 1) of the text that failed to compile.
std::string_view sourceLine(std::string_view code, int32_t line) {
  for (int32_t current = 1; current < line; ++current) {
    const size_t next = code.find('\n');
    if (next == std::string_view::npos) return {};
    code.remove_prefix(next + 1);
  }
  return code.substr(0, code.find_first_of("\r\n"));
}

// Records the value on top of the stack (and pops it) as the control's last error.
void recordError(ScriptControl& control, bool compiling) {
  js_State* state = control.state;
  ThrownValue& thrown = control.thrown;
  thrown.isError = false;
  thrown.name.clear();
  thrown.message.clear();
  thrown.trace.clear();
  js_getregistry(state, kReadThrownKey);
  js_pushundefined(state);
  js_copy(state, -3);
  js_pcall(state, 1);  // on failure, what was read before it stays
  js_pop(state, 2);

  ScriptError& error = control.lastError;
  error = ScriptError{};
  error.number = errorNumber(thrown);
  error.source = compiling ? u"JavaScript compilation error" : u"JavaScript runtime error";
  std::string_view description = thrown.message;
  if (compiling) {
    description = splitCompileLine(description, &error.line);
    decodeScriptText(sourceLine(control.code, error.line), &error.text);
  } else {
    error.line = traceLine(thrown.trace);
  }
  decodeScriptText(description, &error.description);
}

void recordNoLanguage(ScriptControl& control) {
  control.lastError = ScriptError{};
  control.lastError.number = kNoLanguage;
  control.lastError.source = u"Script control";
  control.lastError.description = u"No script language has been chosen";
}

// Sets result from the value on top of the stack. Objects and functions have no value
// outside the interpreter and come back as null.
void takeResult(js_State* state, Variant* result) {
  if (js_isundefined(state, -1)) {
    result->type = VariantType::Empty;
  } else if (js_isboolean(state, -1)) {
    result->type = VariantType::Boolean;
    result->boolean = js_toboolean(state, -1) != 0;
  } else if (js_isnumber(state, -1)) {
    result->type = VariantType::Double;
    result->number = js_tonumber(state, -1);
  } else if (js_isstring(state, -1)) {
    result->type = VariantType::Text;
    decodeScriptText(js_tostring(state, -1), &result->text);
  } else {
    result->type = VariantType::Null;
  }
}

// Pushes the compiled form of `code`: the cached one, or a new one that the cache then keeps.
bool pushCompiled(ScriptControl& control, std::u16string_view code) {
  js_State* state = control.state;
  const ScriptCache::Lookup lookup = control.cache.find(code);
  if (lookup.slot >= 0) {
    js_getregistry(state, kScriptsKey);
    js_getindex(state, -1, lookup.slot);
    js_remove(state, -2);
    return true;
  }
  encodeScriptText(code, &control.code);
  if (js_ploadstring(state, kFileName, control.code.c_str()) != 0) return false;
  const int slot = control.cache.claim(lookup, code);
  if (slot >= 0) {
    js_getregistry(state, kScriptsKey);
    js_copy(state, -2);
    js_setindex(state, -2, slot);
    js_pop(state, 1);
  }
  return true;
}

// Runs `code` as global code; on success leaves its completion value in result (when asked).
int32_t runCode(ScriptControl& control, std::u16string_view code, Variant* result) {
  if (control.language.empty()) {
    recordNoLanguage(control);
    return ObjectInvokeFailed;
  }
  js_State* state = control.state;
  if (!pushCompiled(control, code)) {
    recordError(control, true);
    return ObjectInvokeFailed;
  }
  js_pushundefined(state);
  if (js_pcall(state, 0) != 0) {
    recordError(control, false);
    return ObjectInvokeFailed;
  }
  if (result != nullptr) takeResult(state, result);
  js_pop(state, 1);
  if (control.lastError.number != 0) control.lastError = ScriptError{};
  return ObjectOk;
}

// ---- the control -------------------------------------------------------------------------

enum ControlMember : int32_t { kLanguage, kAddCode, kEval, kError };

constexpr std::array<Member, 4> kControlMembers{{
    {u"Language", InvokePropertyGet | InvokePropertyPut},
    {u"AddCode", InvokeMethod},
    {u"Eval", InvokeMethod},
    {u"Error", InvokePropertyGet},
}};

// Warnings the interpreter would print ("function statements are not standard") stay inside.
void ignoreReport(js_State*, const char*) {}

void* createControl() {
  auto* control = new ScriptControl;
  js_State* state = js_newstate(ScriptHeap::allocate, &control->heap, 0);
  if (state == nullptr) {
    delete control;
    return nullptr;
  }
  control->state = state;
  js_setcontext(state, control);
  js_setreport(state, ignoreReport);
  // Filled up front so the array stays dense and a slot is found by index, not by name.
  js_newarray(state);
  for (int slot = 0; slot < ScriptCache::kSlots; ++slot) {
    js_pushundefined(state);
    js_setindex(state, -2, slot);
  }
  js_setregistry(state, kScriptsKey);
  js_newcfunction(state, readThrownValue, "readThrownValue", 1);
  js_setregistry(state, kReadThrownKey);
  return control;
}

void destroyControl(void* instance) {
  auto* control = static_cast<ScriptControl*>(instance);
  js_freestate(control->state);
  delete control;
}

int32_t bindControlMember(std::u16string_view name, uint32_t* kinds) {
  return findMember(kControlMembers.data(), kControlMembers.size(), name, kinds);
}

int32_t invokeControlMember(void* instance, int32_t member, InvokeKind kind, const Argument* arguments,
                            int32_t count, Variant* result) {
  auto& control = *static_cast<ScriptControl*>(instance);
  const bool takesText = member == kAddCode || member == kEval || (member == kLanguage && kind == InvokePropertyPut);
  if (count != (takesText ? 1 : 0)) return ObjectBadArgumentCount;
  if (takesText && arguments[0].type != VariantType::Text) return ObjectBadArgumentType;
  switch (member) {
    case kLanguage:
      if (kind == InvokePropertyGet) {
        result->type = VariantType::Text;
        result->text = control.language;
        return ObjectOk;
      }
      if (!sameName(arguments[0].text, u"JavaScript") && !sameName(arguments[0].text, u"JScript")) {
        return ObjectInvokeFailed;
      }
      control.language = arguments[0].text;
      return ObjectOk;
    case kAddCode: return runCode(control, arguments[0].text, nullptr);
    case kEval: return runCode(control, arguments[0].text, result);
    case kError:
      result->type = VariantType::Object;
      result->object = platformObjects().wrap(&kErrorClass, new ScriptError(control.lastError));
      return ObjectOk;
  }
  return ObjectUnknownMember;
}

const ObjectClass kScriptControlClass{createControl, nullptr, bindControlMember, invokeControlMember,
                                      destroyControl};

}  // namespace

const ObjectClass& scriptControlClass() { return kScriptControlClass; }
