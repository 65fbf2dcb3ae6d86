// The script control over Duktape: one heap per control, every text run as global code so
// what it declares stays for later calls, "Eval" answering with the completion value, and a
// record of the last script error that "Error" hands out as an object of its own.
#include <duktape.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/duktape/script_text.h"
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

struct ScriptControl {
  duk_context* context = nullptr;
  std::u16string language;  // empty until a script language is chosen
  ScriptError lastError;
  std::string code;  // the text being run, in the interpreter's encoding; reused
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

struct ThrownValue {
  std::string name;
  std::string message;
  int32_t line = 0;
  bool isError = false;
};

// Runs under duk_safe_call: a thrown object may have getters that throw again.
duk_ret_t readThrownValue(duk_context* context, void* udata) {
  auto* thrown = static_cast<ThrownValue*>(udata);
  thrown->isError = duk_is_error(context, -1) != 0;
  if (thrown->isError) {
    duk_get_prop_string(context, -1, "name");
    thrown->name = duk_safe_to_string(context, -1);
    duk_pop(context);
    duk_get_prop_string(context, -1, "message");
    thrown->message = duk_safe_to_string(context, -1);
    duk_pop(context);
    duk_get_prop_string(context, -1, "lineNumber");
    thrown->line = duk_is_number(context, -1) ? static_cast<int32_t>(duk_get_number(context, -1)) : 0;
    duk_pop(context);
  } else {
    thrown->message = duk_safe_to_string(context, -1);
  }
  return 0;
}

int32_t errorNumber(const ThrownValue& thrown) {
  if (!thrown.isError) return kThrownValue;
  static constexpr std::pair<const char*, int32_t> kNumbers[] = {
      {"SyntaxError", kSyntaxError}, {"ReferenceError", kReferenceError}, {"TypeError", kTypeError},
      {"RangeError", kRangeError},   {"URIError", kUriError},             {"EvalError", kEvalError},
  };
  for (const auto& [name, number] : kNumbers) {
    if (thrown.name == name) return number;
  }
  return kOtherError;
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
  ThrownValue thrown;
  duk_safe_call(control.context, readThrownValue, &thrown, 0, 0);
  duk_pop(control.context);
  ScriptError& error = control.lastError;
  error = ScriptError{};
  error.number = errorNumber(thrown);
  error.source = compiling ? u"JavaScript compilation error" : u"JavaScript runtime error";
  decodeScriptText(thrown.message, &error.description);
  error.line = thrown.line;
  if (compiling) decodeScriptText(sourceLine(control.code, thrown.line), &error.text);
}

void recordNoLanguage(ScriptControl& control) {
  control.lastError = ScriptError{};
  control.lastError.number = kNoLanguage;
  control.lastError.source = u"Script control";
  control.lastError.description = u"No script language has been chosen";
}

// Sets result from the value on top of the stack, and pops it. Objects and functions have no
// value outside the interpreter and come back as null.
void takeResult(duk_context* context, Variant* result) {
  switch (duk_get_type(context, -1)) {
    case DUK_TYPE_NONE:
    case DUK_TYPE_UNDEFINED: result->type = VariantType::Empty; break;
    case DUK_TYPE_BOOLEAN:
      result->type = VariantType::Boolean;
      result->boolean = duk_get_boolean(context, -1) != 0;
      break;
    case DUK_TYPE_NUMBER:
      result->type = VariantType::Double;
      result->number = duk_get_number(context, -1);
      break;
    case DUK_TYPE_STRING: {
      duk_size_t length = 0;
      const char* bytes = duk_get_lstring(context, -1, &length);
      result->type = VariantType::Text;
      decodeScriptText(std::string_view(bytes, length), &result->text);
      break;
    }
    default: result->type = VariantType::Null; break;
  }
  duk_pop(context);
}

// Runs `code` as global code; on success leaves its completion value in result (when asked).
int32_t runCode(ScriptControl& control, std::u16string_view code, Variant* result) {
  if (control.language.empty()) {
    recordNoLanguage(control);
    return ObjectInvokeFailed;
  }
  encodeScriptText(code, &control.code);
  duk_context* context = control.context;
  duk_push_string(context, "script");
  if (duk_pcompile_lstring_filename(context, 0, control.code.data(), control.code.size()) != 0) {
    recordError(control, true);
    return ObjectInvokeFailed;
  }
  if (duk_pcall(context, 0) != DUK_EXEC_SUCCESS) {
    recordError(control, false);
    return ObjectInvokeFailed;
  }
  if (result != nullptr) takeResult(context, result);
  else duk_pop(context);
  control.lastError = ScriptError{};
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

void* createControl() {
  duk_context* context = duk_create_heap_default();
  if (context == nullptr) return nullptr;
  auto* control = new ScriptControl;
  control->context = context;
  return control;
}

void destroyControl(void* instance) {
  auto* control = static_cast<ScriptControl*>(instance);
  duk_destroy_heap(control->context);
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
