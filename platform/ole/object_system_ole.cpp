// The object layer over the system's COM and OLE Automation: per-thread initialisation that
// remembers what each level must undo, creation from a ProgID (classes of our own first),
// and member access bound through type information, invoked, then coerced by the system.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "platform/object_access.h"
#include "platform/ole/class_dispatch.h"
#include "platform/ole/ole_status.h"
#include "platform/ole/ole_variant.h"
#include "platform/ole/system_objects.h"
#include "platform/script_control.h"
#include "platform/shared/class_registry.h"

namespace {

// ---- initialisation ------------------------------------------------------------------------

// What one initialisation level has to undo: a refused call (another apartment kind already
// set) still counts as a level, with nothing to undo.
enum class Undo : uint8_t { Nothing, CoUninitialize, OleUninitialize };

thread_local std::vector<Undo> levels;
thread_local int32_t status = ObjectOk;

int32_t enter(HRESULT result, Undo undo) {
  const bool first = levels.empty();
  levels.push_back(SUCCEEDED(result) ? undo : Undo::Nothing);
  return first && result == S_OK ? 0 : 1;
}

// A worker gets a single-threaded apartment of its own, not the multithreaded one: the
// system's script control is apartment-threaded, so in the multithreaded apartment every call
// to it crossed to a host apartment through a proxy (90-160 us an Eval under Wine, against
// 3.5-9 us made in the worker's own apartment). Nothing else changes: each worker makes,
// uses and ends its own engines on its own thread.
int32_t initialize() { return enter(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), Undo::CoUninitialize); }

int32_t initializeMainThread() { return enter(OleInitialize(nullptr), Undo::OleUninitialize); }

void forgetBindings();

void uninitialize() {
  if (levels.empty()) return;
  const Undo undo = levels.back();
  levels.pop_back();
  if (levels.empty()) forgetBindings();
  if (undo == Undo::CoUninitialize) CoUninitialize();
  if (undo == Undo::OleUninitialize) OleUninitialize();
}

int32_t initializationCount() { return static_cast<int32_t>(levels.size()); }

// ---- classes of our own --------------------------------------------------------------------

// Looked up before the system's registry, so a class of ours may also stand in for a
// system class within this process; nothing is written to the registry. It starts with the
// script control, which works over the system's own.
struct SeededRegistry : ClassRegistry {
  SeededRegistry() { add(kScriptControlProgId, kScriptControlClassId, &scriptControlClass()); }
};

ClassRegistry& ownClasses() {
  static SeededRegistry classes;
  return classes;
}

void registerClass(std::u16string_view progId, std::u16string_view classId, const ObjectClass* objectClass) {
  ownClasses().add(progId, classId, objectClass);
}

bool revokeClass(std::u16string_view progId) { return ownClasses().remove(progId); }

PlatformObject* wrap(const ObjectClass* objectClass, void* instance) {
  return objectOf(newClassDispatch(objectClass, instance));
}

void addReference(PlatformObject* object) {
  if (object != nullptr) unknownOf(object)->AddRef();
}

void release(PlatformObject* object) {
  if (object != nullptr) unknownOf(object)->Release();
}

// ---- creation ------------------------------------------------------------------------------

int32_t createOwn(const ObjectClass* objectClass, IUnknown** created) {
  void* instance = objectClass->create();
  if (instance == nullptr) return ObjectCreateFailed;
  if (objectClass->run != nullptr) {
    const int32_t started = objectClass->run(instance);
    if (started != ObjectOk) {
      objectClass->destroy(instance);
      return started;
    }
  }
  *created = newClassDispatch(objectClass, instance);
  return ObjectOk;
}

int32_t create(std::u16string_view name, PlatformObject** object) {
  if (levels.empty()) return ObjectNotInitialised;
  IUnknown* created = nullptr;
  const ObjectClass* own = ownClasses().find(name);
  const int32_t outcome = own != nullptr ? createOwn(own, &created) : createSystemObject(name, &created);
  if (outcome == ObjectOk) *object = objectOf(created);
  return outcome;
}

// ---- member access ---------------------------------------------------------------------------

// Holds a COM interface pointer for a scope.
template <typename Interface>
struct Held {
  Interface* pointer = nullptr;
  ~Held() {
    if (pointer != nullptr) pointer->Release();
  }
};

// Binds `name` as `kind` in the type's binder; true with the member's id when it binds.
bool bindAs(ITypeComp* binder, std::wstring& name, ULONG hash, WORD kind, MEMBERID* member) {
  Held<ITypeInfo> boundType;
  DESCKIND found = DESCKIND_NONE;
  BINDPTR bound{};
  if (FAILED(binder->Bind(name.data(), hash, kind, &boundType.pointer, &found, &bound))) return false;
  switch (found) {
    case DESCKIND_FUNCDESC:
      *member = bound.lpfuncdesc->memid;
      boundType.pointer->ReleaseFuncDesc(bound.lpfuncdesc);
      return true;
    case DESCKIND_VARDESC:
    case DESCKIND_IMPLICITAPPOBJ:
      *member = bound.lpvardesc->memid;
      boundType.pointer->ReleaseVarDesc(bound.lpvardesc);
      return true;
    case DESCKIND_TYPECOMP:
      bound.lptcomp->Release();
      return false;
    default: return false;
  }
}

constexpr InvokeKind kGetOrder[] = {InvokePropertyGet, InvokeMethod};
constexpr InvokeKind kPutOrder[] = {InvokePropertyPut, InvokePropertyPutRef, InvokeMethod};
constexpr InvokeKind kCallOrder[] = {InvokeMethod, InvokePropertyGet, InvokePropertyPut, InvokePropertyPutRef};

// The arguments as Invoke wants them: last first, cleared when the call is over.
class InvokeArguments {
 public:
  InvokeArguments(const Argument* arguments, int32_t count) : values_(count > 0 ? count : 0) {
    for (int32_t i = 0; i < count; ++i) {
      if (!argumentToVariant(arguments[i], &values_[count - 1 - i])) {
        failed_ = true;
        VariantInit(&values_[count - 1 - i]);
      }
    }
  }
  ~InvokeArguments() {
    for (VARIANT& value : values_) VariantClear(&value);
  }
  bool failed() const { return failed_; }
  // A put names its value (the last argument) DISPID_PROPERTYPUT, as Invoke requires.
  DISPPARAMS parameters(InvokeKind kind) {
    static DISPID putName = DISPID_PROPERTYPUT;
    const bool named = (kind == InvokePropertyPut || kind == InvokePropertyPutRef) && !values_.empty();
    return DISPPARAMS{values_.data(), named ? &putName : nullptr, static_cast<UINT>(values_.size()), named ? 1u : 0u};
  }

 private:
  std::vector<VARIANT> values_;
  bool failed_ = false;
};

// What binding a member of a type gave: the member and the invoke kind it bound as. Kept per
// thread, so an engine's "Eval" is bound once, not at every call (GetTypeComp, the name's hash
// and Bind). An entry holds a reference to its type, so the type cannot go and another take
// its address; the entries go when the thread's last initialisation does, or the oldest when
// all are taken. Plain data: a thread-local with a destructor would run it at thread exit,
// after COM has gone.
struct Binding {
  ITypeInfo* type;
  char16_t name[24];  // shorter names only; longer ones are bound at every call
  MemberAccess access;
  MEMBERID member;
  InvokeKind kind;
};
constexpr size_t kMostBindings = 16;
thread_local Binding bindings[kMostBindings];
thread_local size_t bindingCount = 0;
thread_local size_t oldestBinding = 0;

void forgetBindings() {
  for (size_t i = 0; i < bindingCount; ++i) bindings[i].type->Release();
  bindingCount = 0;
  oldestBinding = 0;
}

void keepBinding(ITypeInfo* type, std::u16string_view name, MemberAccess access, MEMBERID member, InvokeKind kind) {
  if (name.size() >= std::size(Binding{}.name)) return;
  size_t slot = bindingCount;
  if (bindingCount == kMostBindings) {
    slot = oldestBinding;
    oldestBinding = (oldestBinding + 1) % kMostBindings;
    bindings[slot].type->Release();
  } else {
    ++bindingCount;
  }
  type->AddRef();
  Binding& kept = bindings[slot];
  kept = Binding{type, {}, access, member, kind};
  name.copy(kept.name, name.size());
}

const Binding* knownBinding(ITypeInfo* type, std::u16string_view name, MemberAccess access) {
  for (size_t i = 0; i < bindingCount; ++i) {
    const Binding& binding = bindings[i];
    if (binding.type == type && binding.access == access && std::u16string_view(binding.name) == name) return &binding;
  }
  return nullptr;
}

int32_t invokeBound(IDispatch* dispatch, MEMBERID member, InvokeKind kind, const Argument* arguments,
                    int32_t count, VARIANT* raw) {
  InvokeArguments passed(arguments, count);
  if (passed.failed()) return ObjectBadArgumentType;
  DISPPARAMS parameters = passed.parameters(kind);
  size_t carried = 0;
  for (int32_t i = 0; i < count; ++i) carried += (arguments[i].text.size() + 1) * sizeof(char16_t);
  return statusOfCall(
      dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(kind), &parameters, raw, nullptr, nullptr),
      carried);
}

int32_t invokeMember(PlatformObject* object, std::u16string_view name, MemberAccess memberAccess,
                     const Argument* arguments, int32_t count, VARIANT* raw) {
  if (object == nullptr) return ObjectNoObject;
  Held<IDispatch> dispatch;
  if (FAILED(unknownOf(object)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch.pointer)))) {
    return ObjectNoObject;
  }
  Held<ITypeInfo> type;
  if (FAILED(dispatch.pointer->GetTypeInfo(0, LOCALE_USER_DEFAULT, &type.pointer)) || type.pointer == nullptr) {
    return ObjectUnknownMember;
  }
  if (const Binding* known = knownBinding(type.pointer, name, memberAccess)) {
    return invokeBound(dispatch.pointer, known->member, known->kind, arguments, count, raw);
  }
  Held<ITypeComp> binder;
  if (FAILED(type.pointer->GetTypeComp(&binder.pointer)) || binder.pointer == nullptr) return ObjectUnknownMember;
  std::wstring wideName(name.begin(), name.end());
  const int ansiSize = WideCharToMultiByte(CP_ACP, 0, wideName.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansiName(ansiSize > 0 ? ansiSize : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, wideName.c_str(), -1, ansiName.data(), ansiSize, nullptr, nullptr);
  const SYSKIND system = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  const ULONG hash = LHashValOfNameSysA(system, LOCALE_USER_DEFAULT, ansiName.c_str());

  const InvokeKind* order = kGetOrder;
  size_t kinds = std::size(kGetOrder);
  if (memberAccess == MemberAccess::Put) {
    order = kPutOrder;
    kinds = std::size(kPutOrder);
  } else if (memberAccess == MemberAccess::Call) {
    order = kCallOrder;
    kinds = std::size(kCallOrder);
  }
  for (size_t i = 0; i < kinds; ++i) {
    MEMBERID member = MEMBERID_NIL;
    if (!bindAs(binder.pointer, wideName, hash, static_cast<WORD>(order[i]), &member)) continue;
    keepBinding(type.pointer, name, memberAccess, member, order[i]);
    return invokeBound(dispatch.pointer, member, order[i], arguments, count, raw);
  }
  return ObjectUnknownMember;
}

int32_t access(PlatformObject* object, std::u16string_view name, MemberAccess memberAccess,
               const Argument* arguments, int32_t count, VariantType want, Variant* result) {
  clearValue(result);
  VARIANT raw;
  VariantInit(&raw);
  int32_t outcome = invokeMember(object, name, memberAccess, arguments, count, &raw);
  if (outcome == ObjectOk) {
    outcome = coerceVariant(raw, want, result);
  } else {
    result->type = want;
  }
  VariantClear(&raw);
  status = outcome;
  return outcome;
}

int32_t lastStatus() { return status; }

int32_t changeType(const Variant& from, VariantType to, Variant* toValue) {
  VARIANT value;
  const Argument lent{from.type, from.boolean, from.number, from.text, from.object};
  const bool made = argumentToVariant(lent, &value);
  clearValue(toValue);
  const int32_t outcome = made ? coerceVariant(value, to, toValue) : ObjectTypeMismatch;
  if (made) VariantClear(&value);
  if (!made) toValue->type = to;
  return outcome;
}

const ObjectSystem kObjectSystem{
    .initialize = initialize,
    .initializeMainThread = initializeMainThread,
    .uninitialize = uninitialize,
    .initializationCount = initializationCount,
    .registerClass = registerClass,
    .revokeClass = revokeClass,
    .create = create,
    .wrap = wrap,
    .addReference = addReference,
    .release = release,
    .access = access,
    .lastStatus = lastStatus,
    .changeType = changeType,
};

}  // namespace

const ObjectSystem& platformObjects() { return kObjectSystem; }
