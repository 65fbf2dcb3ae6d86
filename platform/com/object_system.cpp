// The object layer: a per-thread initialisation count, a ProgID registry that starts with
// the script control, counted objects, and member access that walks the invoke kinds in
// each access's order before coercing the result.
#include <atomic>
#include <cstring>
#include <string>
#include <utility>

#include "platform/com/variant_coercion.h"
#include "platform/object_access.h"
#include "platform/script_control.h"
#include "platform/shared/class_registry.h"

struct PlatformObject {
  const ObjectClass* objectClass;
  void* instance;
  std::atomic<int32_t> references{1};
};

namespace {

thread_local int32_t initializations = 0;
thread_local int32_t status = ObjectOk;

int32_t initialize() { return initializations++ == 0 ? 0 : 1; }

void uninitialize() {
  if (initializations > 0) --initializations;
}

int32_t initializationCount() { return initializations; }

// Our registry, which starts with the script control.
struct SeededRegistry : ClassRegistry {
  SeededRegistry() { add(kScriptControlProgId, kScriptControlClassId, &scriptControlClass()); }
};

ClassRegistry& registry() {
  static SeededRegistry classes;
  return classes;
}

void registerClass(std::u16string_view progId, std::u16string_view classId, const ObjectClass* objectClass) {
  registry().add(progId, classId, objectClass);
}

bool revokeClass(std::u16string_view progId) { return registry().remove(progId); }

PlatformObject* wrap(const ObjectClass* objectClass, void* instance) {
  return new PlatformObject{objectClass, instance};
}

void addReference(PlatformObject* object) {
  if (object != nullptr) object->references.fetch_add(1, std::memory_order_relaxed);
}

void release(PlatformObject* object) {
  if (object == nullptr || object->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  object->objectClass->destroy(object->instance);
  delete object;
}

int32_t create(std::u16string_view name, PlatformObject** object) {
  if (initializations == 0) return ObjectNotInitialised;
  const ObjectClass* objectClass = registry().find(name);
  if (objectClass == nullptr) return ObjectClassNotRegistered;
  void* instance = objectClass->create();
  if (instance == nullptr) return ObjectCreateFailed;
  if (objectClass->run != nullptr) {
    const int32_t started = objectClass->run(instance);
    if (started != ObjectOk) {
      objectClass->destroy(instance);
      return started;
    }
  }
  *object = wrap(objectClass, instance);
  return ObjectOk;
}

// The first invoke kind, in this access's order, that the member accepts; 0 when none.
InvokeKind chooseKind(MemberAccess access, uint32_t accepted) {
  static constexpr InvokeKind kGet[] = {InvokePropertyGet, InvokeMethod};
  static constexpr InvokeKind kPut[] = {InvokePropertyPut, InvokePropertyPutRef, InvokeMethod};
  static constexpr InvokeKind kCall[] = {InvokeMethod, InvokePropertyGet, InvokePropertyPut,
                                         InvokePropertyPutRef};
  auto first = [accepted](const auto& order) {
    for (InvokeKind kind : order) {
      if ((accepted & kind) != 0) return kind;
    }
    return InvokeKind{};
  };
  switch (access) {
    case MemberAccess::Get: return first(kGet);
    case MemberAccess::Put: return first(kPut);
    case MemberAccess::Call: return first(kCall);
  }
  return InvokeKind{};
}

// Names compared four units at a time: a member's name is a few units, which the library
// would compare in a call of its own, a unit at a time.
bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  size_t at = 0;
  for (; a.size() - at >= 4; at += 4) {
    uint64_t left;
    uint64_t right;
    std::memcpy(&left, a.data() + at, sizeof left);
    std::memcpy(&right, b.data() + at, sizeof right);
    if (left != right) return false;
  }
  for (; at < a.size(); ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

int32_t invokeMember(PlatformObject* object, std::u16string_view name, MemberAccess access,
                     const Argument* arguments, int32_t count, Variant* raw) {
  if (object == nullptr) return ObjectNoObject;
  // A binding is the class's binding function's answer for the name, the same every time, and
  // nearly every access names the member the last one did ("Eval", line after line).
  struct Binding {
    decltype(ObjectClass::bindMember) bind = nullptr;
    std::u16string name;
    int32_t member = -1;
    uint32_t accepted = 0;
  };
  thread_local Binding last;
  const auto bind = object->objectClass->bindMember;
  if (last.bind != bind || !sameName(last.name, name)) {
    last.bind = nullptr;  // until the new binding is complete
    last.member = bind(name, &last.accepted);
    last.name.assign(name);
    last.bind = bind;
  }
  const int32_t member = last.member;
  const uint32_t accepted = last.accepted;
  if (member < 0) return ObjectUnknownMember;
  const InvokeKind kind = chooseKind(access, accepted);
  if (kind == 0) return ObjectUnknownMember;
  return object->objectClass->invoke(object->instance, member, kind, arguments, count, raw);
}

int32_t access(PlatformObject* object, std::u16string_view name, MemberAccess memberAccess,
               const Argument* arguments, int32_t count, VariantType want, Variant* result) {
  clearVariant(result);
  // The member answers straight into the result: nearly always it answers with the type
  // wanted, or the answer is dropped, and then there is nothing to coerce.
  int32_t outcome = invokeMember(object, name, memberAccess, arguments, count, result);
  if (outcome != ObjectOk || want == VariantType::Empty) {
    clearVariant(result);
    result->type = want;
  } else if (result->type != want || (want == VariantType::Object && result->object == nullptr)) {
    // The answer moves aside to be coerced back into the result. The variant aside lives per
    // thread so the text buffers trade places from call to call rather than being made anew.
    thread_local Variant raw;
    raw.type = result->type;
    raw.boolean = result->boolean;
    raw.number = result->number;
    raw.text.swap(result->text);
    raw.object = std::exchange(result->object, nullptr);
    outcome = changeVariantType(raw, want, result);
    clearVariant(&raw);
  }
  status = outcome;
  return outcome;
}

int32_t lastStatus() { return status; }

const ObjectSystem kObjectSystem{
    .initialize = initialize,
    .initializeMainThread = initialize,
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
    .changeType = changeVariantType,
};

}  // namespace

const ObjectSystem& platformObjects() { return kObjectSystem; }
