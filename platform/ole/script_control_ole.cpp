// The system's script control as the program makes it: every member is the control's own,
// reached by the name the control binds, but Eval, which hands its text to the engine's own
// global eval through the control's CodeObject. Wine's control compiles an Eval's text and
// never frees what it compiled (1.4 KB an evaluation and more for a longer text, kept after
// the engine has ended too: 16 KB a table line), where the global eval frees its text once
// run. The answer, the global scope the text runs in and the error the control records are
// the same either way; where the engine will not take a text so, the control's Eval does.
#include <windows.h>
#include <oleauto.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/object_access.h"
#include "platform/ole/ole_status.h"
#include "platform/ole/ole_variant.h"
#include "platform/ole/system_objects.h"
#include "platform/script_control.h"

namespace {

struct Member {
  std::u16string_view name;
  uint32_t kinds;
};

constexpr uint32_t kProperty = InvokePropertyGet | InvokePropertyPut;
constexpr uint32_t kReadOnly = InvokePropertyGet;
constexpr uint32_t kMethod = InvokeMethod;

// The control's members, as its type library lists them.
constexpr std::array<Member, 17> kMembers{{
    {u"Language", kProperty},     {u"State", kProperty},     {u"SitehWnd", kProperty},
    {u"Timeout", kProperty},      {u"AllowUI", kProperty},   {u"UseSafeSubset", kProperty},
    {u"Modules", kReadOnly},      {u"Error", kReadOnly},     {u"CodeObject", kReadOnly},
    {u"Procedures", kReadOnly},   {u"_AboutBox", kMethod},   {u"AddObject", kMethod},
    {u"Reset", kMethod},          {u"AddCode", kMethod},     {u"Eval", kMethod},
    {u"ExecuteStatement", kMethod}, {u"Run", kMethod},
}};
constexpr int32_t kLanguage = 0;
constexpr int32_t kEval = 14;
constexpr int32_t kCodeObject = 8;

bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Control {
  IDispatch* control = nullptr;
  std::array<DISPID, kMembers.size()> ids{};
  std::array<bool, kMembers.size()> bound{};
  // The engine's global object and its eval, asked for at the first Eval after any other
  // member was reached (setting the language, or a reset, starts a new engine under it).
  IDispatch* engineGlobal = nullptr;
  DISPID globalEval = DISPID_UNKNOWN;
  // JScript's global eval stands in for the control's; any other language, or an engine
  // that would not take a text so, has the control's Eval.
  bool controlEvaluates = true;
  bool engineTookText = false;

  void forgetEngine() {
    if (engineGlobal != nullptr) engineGlobal->Release();
    engineGlobal = nullptr;
    engineTookText = false;
  }
};

HRESULT invokeControl(Control& self, int32_t member, WORD kind, VARIANT* arguments, UINT count, VARIANT* result) {
  if (!self.bound[member]) {
    std::wstring owned(kMembers[member].name.begin(), kMembers[member].name.end());
    LPOLESTR name = owned.data();
    const HRESULT found = self.control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &self.ids[member]);
    if (FAILED(found)) return found;
    self.bound[member] = true;
  }
  DISPID putName = DISPID_PROPERTYPUT;
  const bool put = kind == DISPATCH_PROPERTYPUT;
  DISPPARAMS parameters{arguments, put ? &putName : nullptr, count, put ? 1u : 0u};
  return self.control->Invoke(self.ids[member], IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, nullptr,
                              nullptr);
}

// The engine's global object and its eval; false when the control gives none.
bool reachEngineGlobal(Control& self) {
  if (self.engineGlobal != nullptr) return true;
  VARIANT global;
  VariantInit(&global);
  if (FAILED(invokeControl(self, kCodeObject, DISPATCH_PROPERTYGET, nullptr, 0, &global)) ||
      V_VT(&global) != VT_DISPATCH || V_DISPATCH(&global) == nullptr) {
    VariantClear(&global);
    return false;
  }
  wchar_t evalName[] = L"eval";
  LPOLESTR name = evalName;
  IDispatch* engineGlobal = V_DISPATCH(&global);
  if (FAILED(engineGlobal->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &self.globalEval))) {
    VariantClear(&global);
    return false;
  }
  self.engineGlobal = engineGlobal;  // the reference the variant held
  return true;
}

// A failure that says the engine never ran the text: its global eval cannot be called so.
bool neverRan(HRESULT result) {
  return result == DISP_E_MEMBERNOTFOUND || result == DISP_E_UNKNOWNNAME || result == E_NOTIMPL ||
         result == E_UNEXPECTED || result == E_NOINTERFACE || result == DISP_E_BADPARAMCOUNT;
}

// The status of a call and its answer moved into result; answer is emptied.
int32_t takeAnswer(HRESULT ran, size_t carried, VARIANT& answer, Variant* result) {
  int32_t status = statusOfCall(ran, carried);
  if (status == ObjectOk && !variantToValue(answer, result)) status = ObjectTypeMismatch;
  VariantClear(&answer);
  return status;
}

// Runs text through the engine's global eval; false, with nothing run, when the engine will
// not take a text so (only an engine that never took one is asked to).
bool evaluateInEngine(Control& self, std::u16string_view text, int32_t* status, Variant* result) {
  if (!reachEngineGlobal(self)) return false;
  const size_t carried = (text.size() + 2) * sizeof(char16_t);
  // The control numbers an Eval's lines from 1 and the global eval from 0: after a line
  // break, an error is recorded at the line the control itself would give.
  BSTR source = SysAllocStringLen(nullptr, static_cast<UINT>(text.size() + 1));
  if (source == nullptr) {
    *status = statusOfCall(E_OUTOFMEMORY, carried);
    return true;
  }
  source[0] = L'\n';
  text.copy(reinterpret_cast<char16_t*>(source) + 1, text.size());
  VARIANT argument;
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = source;
  DISPPARAMS parameters{&argument, nullptr, 1, 0};
  VARIANT answer;
  VariantInit(&answer);
  const HRESULT ran = self.engineGlobal->Invoke(self.globalEval, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                &parameters, &answer, nullptr, nullptr);
  VariantClear(&argument);
  if (!self.engineTookText && neverRan(ran)) return false;
  self.engineTookText = true;
  *status = takeAnswer(ran, carried, answer, result);
  return true;
}

void* create() {
  IUnknown* made = nullptr;
  if (createSystemObject(kScriptControlProgId, &made) != ObjectOk) return nullptr;
  IDispatch* control = nullptr;
  const HRESULT found = made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control));
  made->Release();
  if (FAILED(found)) return nullptr;
  auto* self = new Control;
  self->control = control;
  return self;
}

int32_t bindMember(std::u16string_view name, uint32_t* invokeKinds) {
  for (size_t i = 0; i < kMembers.size(); ++i) {
    if (sameName(kMembers[i].name, name)) {
      *invokeKinds = kMembers[i].kinds;
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t invoke(void* instance, int32_t member, InvokeKind kind, const Argument* arguments, int32_t count,
               Variant* result) {
  auto& self = *static_cast<Control*>(instance);
  if (member < 0 || member >= static_cast<int32_t>(kMembers.size())) return ObjectUnknownMember;
  if (member == kEval && kind == InvokeMethod && count == 1 && arguments[0].type == VariantType::Text &&
      !self.controlEvaluates) {
    int32_t status = ObjectOk;
    if (evaluateInEngine(self, arguments[0].text, &status, result)) return status;
    self.controlEvaluates = true;
  }
  if (member != kEval) self.forgetEngine();
  if (member == kLanguage && kind == InvokePropertyPut && count == 1) {
    self.controlEvaluates = !sameName(arguments[0].text, u"JavaScript") && !sameName(arguments[0].text, u"JScript");
  }
  // Invoke takes its arguments last first.
  std::array<VARIANT, 4> passed{};
  if (count < 0 || count > static_cast<int32_t>(passed.size())) return ObjectBadArgumentCount;
  size_t carried = 0;
  for (int32_t i = 0; i < count; ++i) {
    carried += (arguments[i].text.size() + 1) * sizeof(char16_t);
    if (!argumentToVariant(arguments[i], &passed[count - 1 - i])) {
      for (int32_t made = 0; made < i; ++made) VariantClear(&passed[count - 1 - made]);
      return ObjectBadArgumentType;
    }
  }
  VARIANT answer;
  VariantInit(&answer);
  const HRESULT ran = invokeControl(self, member, static_cast<WORD>(kind), passed.data(), static_cast<UINT>(count),
                                    kind == InvokePropertyPut ? nullptr : &answer);
  for (int32_t i = 0; i < count; ++i) VariantClear(&passed[i]);
  return takeAnswer(ran, carried, answer, result);
}

void destroy(void* instance) {
  auto* self = static_cast<Control*>(instance);
  self->forgetEngine();
  self->control->Release();
  delete self;
}

const ObjectClass kScriptControlClass{
    .create = create,
    .run = nullptr,
    .bindMember = bindMember,
    .invoke = invoke,
    .destroy = destroy,
};

}  // namespace

const ObjectClass& scriptControlClass() { return kScriptControlClass; }
