// The script control over mujs: one interpreter per control, every text run as global code so
// what it declares stays for later calls, "Eval" answering with the completion value, compiled
// texts kept for the next text of the same shape, and a record of the last script error
// that "Error" hands out as an object of its own.
#include <mujs.h>

#include <array>
#include <csetjmp>
#include <string>

#include "platform/mujs/class_members.h"
#include "platform/mujs/script_cache.h"
#include "platform/mujs/script_error.h"
#include "platform/mujs/script_heap.h"
#include "platform/mujs/script_text.h"
#include "platform/object_access.h"
#include "platform/script_control.h"

namespace {

// What a thrown value said, read inside the interpreter; the buffers are reused.
struct ThrownValue {
  bool isError = false;
  std::string name;
  std::string message;
  std::string trace;
};

// The name compiled texts carry; compile errors start their message with it and the line.
constexpr char kFileName[] = "script";
// The array of compiled texts by cache slot lies at the bottom of the interpreter's stack for
// the control's whole life (every call from here starts above it), so a slot is found by
// index alone, not through a registry lookup by name on every evaluation.
constexpr int kScriptsIndex = 0;
// The registry entry of the thrown-value reader.
constexpr const char* kReadThrownKey = "cellbrae.readThrown";

struct ScriptControl {
  ScriptHeap heap;  // all the interpreter's memory: it ends with the control, after the rest
  js_State* state = nullptr;
  std::u16string language;  // empty until a script language is chosen
  ScriptError lastError;
  ScriptCache cache;
  std::string code;   // the text being compiled, in the interpreter's encoding; reused
  std::string shape;  // its shape, as the cache looks it up; reused
  ThrownValue thrown;
};

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
  error.number = thrown.isError ? errorNumberOf(thrown.name) : kThrownValue;
  error.source = compiling ? u"JavaScript compilation error" : u"JavaScript runtime error";
  std::string_view description = thrown.message;
  if (compiling) {
    description = splitCompileLine(description, kFileName, &error.line);
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
  switch (js_type(state, -1)) {
    case JS_ISUNDEFINED: result->type = VariantType::Empty; break;
    case JS_ISBOOLEAN:
      result->type = VariantType::Boolean;
      result->boolean = js_toboolean(state, -1) != 0;
      break;
    case JS_ISNUMBER:
      result->type = VariantType::Double;
      result->number = js_tonumber(state, -1);
      break;
    case JS_ISSTRING:
      result->type = VariantType::Text;
      decodeScriptText(js_tostring(state, -1), &result->text);
      break;
    default: result->type = VariantType::Null; break;
  }
}

// Pushes the compiled form of `code`, trying the cheap ways first: the template that came
// next last time, when it holds exactly this text or this text differs from its text only
// inside plain literals; the template that holds exactly this text; the template of its
// shape with its literals put in. Otherwise a new template, which the cache then keeps. Long
// texts are compiled as they are.
bool pushCompiled(ScriptControl& control, std::u16string_view code) {
  js_State* state = control.state;
  ScriptCache& cache = control.cache;
  auto pushSlot = [state](int slot) { js_getindex(state, kScriptsIndex, slot); };
  if (code.size() > ScriptCache::kLongestSource) {
    cache.ran(-1);
    encodeScriptText(code, &control.code);
    return js_ploadstring(state, kFileName, control.code.c_str()) == 0;
  }
  int slot = cache.predicted();
  if (slot >= 0 && cache.holdsSource(slot, code)) {
    pushSlot(slot);
    cache.ran(slot);
    return true;
  }
  encodeScriptText(code, &control.code);
  if (slot >= 0) {
    pushSlot(slot);
    if (js_relit(state, -1, control.code.c_str())) {
      cache.noteSource(slot, code, std::nullopt);
      cache.ran(slot);
      return true;
    }
    js_pop(state, 1);
  }
  size_t sourceHash = 0;
  slot = cache.findSource(code, &sourceHash);
  if (slot >= 0) {
    pushSlot(slot);
    cache.ran(slot);
    return true;
  }
  int shapeLength = 0;
  const char* shapeBytes = js_literalshape(state, control.code.c_str(), &shapeLength);
  if (shapeBytes == nullptr) {  // does not even read as tokens: let the compiler say why
    cache.ran(-1);
    return js_ploadstring(state, kFileName, control.code.c_str()) == 0;
  }
  // The shape lives in the interpreter's buffer until the next text is shaped or compiled.
  control.shape.assign(shapeBytes, static_cast<size_t>(shapeLength));
  const ScriptCache::Lookup lookup = cache.find(control.shape);
  if (lookup.slot >= 0) {
    pushSlot(lookup.slot);
    if (js_takeliterals(state, -1)) {
      cache.noteSource(lookup.slot, code, sourceHash);
      cache.ran(lookup.slot);
      return true;
    }
    js_pop(state, 1);  // a literal it has compiled in differs: compile this one afresh
  }
  if (js_ploadtemplate(state, kFileName, control.code.c_str()) != 0) {
    cache.ran(-1);
    return false;
  }
  slot = cache.claim(lookup, control.shape);
  if (slot >= 0) {
    js_copy(state, -1);
    js_setindex(state, kScriptsIndex, slot);
    cache.noteSource(slot, code, sourceHash);
  }
  cache.ran(slot);
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

constexpr std::array<ClassMember, 4> kControlMembers{{
    {u"Language", InvokePropertyGet | InvokePropertyPut},
    {u"AddCode", InvokeMethod},
    {u"Eval", InvokeMethod},
    {u"Error", InvokePropertyGet},
}};

// Warnings the interpreter would print ("function statements are not standard") stay inside.
void ignoreReport(js_State*, const char*) {}

// What a control keeps in its interpreter: the compiled texts' array at the bottom of the
// stack and the thrown-value reader in the registry. Making them allocates, and an allocation
// the interpreter cannot make throws: this runs under js_try, so nothing here owns a resource.
bool prepareInterpreter(js_State* state) {
  // js_try, spelled for C++ (the macro hands setjmp an untyped pointer).
  if (setjmp(*static_cast<std::jmp_buf*>(js_savetry(state)))) {
    js_pop(state, 1);
    return false;
  }
  // Filled up front so the array stays dense and a slot is found by index, not by name.
  js_newarray(state);
  for (int slot = 0; slot < ScriptCache::kSlots; ++slot) {
    js_pushundefined(state);
    js_setindex(state, -2, slot);
  }
  js_newcfunction(state, readThrownValue, "readThrownValue", 1);
  js_setregistry(state, kReadThrownKey);
  js_endtry(state);
  return true;
}

// Every other call into the interpreter that can allocate runs protected too (js_pcall,
// js_ploadstring, js_ploadtemplate, and js_literalshape, js_takeliterals and js_relit, which
// catch inside): with no handler, a failed allocation would end the process in abort().
// Running out of memory is then a failed evaluation like any other.
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
  if (!prepareInterpreter(state)) {
    js_freestate(state);
    delete control;
    return nullptr;
  }
  return control;
}

// The interpreter's memory is all in the control's heap, which ends with it: a big store's
// objects are not walked and freed one by one first. Nothing the interpreter holds has a
// finaliser of its own to run.
void destroyControl(void* instance) { delete static_cast<ScriptControl*>(instance); }

int32_t bindControlMember(std::u16string_view name, uint32_t* kinds) {
  return findClassMember(kControlMembers, name, kinds);
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
      if (!sameMemberName(arguments[0].text, u"JavaScript") && !sameMemberName(arguments[0].text, u"JScript")) {
        return ObjectInvokeFailed;
      }
      control.language = arguments[0].text;
      return ObjectOk;
    // One call for both, so that the compiler puts the evaluation in place here.
    case kAddCode:
    case kEval: return runCode(control, arguments[0].text, member == kEval ? result : nullptr);
    case kError:
      result->type = VariantType::Object;
      result->object = newErrorObject(control.lastError);
      return ObjectOk;
  }
  return ObjectUnknownMember;
}

const ObjectClass kScriptControlClass{createControl, nullptr, bindControlMember, invokeControlMember,
                                      destroyControl};

}  // namespace

const ObjectClass& scriptControlClass() { return kScriptControlClass; }
