// Members are bound by the control's own table, so the stand-in answers to exactly the names
// and invoke kinds the control does; only "Eval" and "AddCode" with one text go to both engines.
#include "fuzz/differential_control.h"

#include "fuzz/engine_pair.h"
#include "platform/script_control.h"

namespace {

constexpr std::u16string_view kStandInClassId = u"{5C1E3A27-8D4B-4F60-9A1E-2B7C0D3F6E82}";

int32_t memberId(std::u16string_view name) {
  uint32_t kinds = 0;
  return scriptControlClass().bindMember(name, &kinds);
}

void* createPair() { return new EnginePair; }

int32_t bindMember(std::u16string_view name, uint32_t* kinds) { return scriptControlClass().bindMember(name, kinds); }

int32_t invokeMember(void* instance, int32_t member, InvokeKind kind, const Argument* arguments, int32_t count,
                     Variant* result) {
  static const int32_t eval = memberId(u"Eval");
  static const int32_t addCode = memberId(u"AddCode");
  auto* pair = static_cast<EnginePair*>(instance);
  const bool runsText = (member == eval || member == addCode) && kind == InvokeMethod && count == 1 &&
                        arguments[0].type == VariantType::Text;
  if (!runsText) return scriptControlClass().invoke(pair->controlInstance(), member, kind, arguments, count, result);
  pair->run(arguments[0].text, member == eval);
  *result = pair->controlResult();
  return pair->controlStatus();
}

void destroyPair(void* instance) { delete static_cast<EnginePair*>(instance); }

const ObjectClass kDifferentialControlClass{createPair, nullptr, bindMember, invokeMember, destroyPair};

}  // namespace

const ObjectClass& differentialControlClass() { return kDifferentialControlClass; }

DifferentialControlScope::DifferentialControlScope() {
  platformObjects().registerClass(kScriptControlProgId, kStandInClassId, &kDifferentialControlClass);
}

DifferentialControlScope::~DifferentialControlScope() {
  platformObjects().registerClass(kScriptControlProgId, kScriptControlClassId, &scriptControlClass());
}
