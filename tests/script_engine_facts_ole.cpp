// The facts of the system's script control: its registered class id, and its error numbers,
// which Windows gives as the short code (1002) and Wine as the whole HRESULT (0x800A03EA).
// Withdrawing it registers a class of ours under its ProgID that can never be made; restoring
// it registers again the class the program reaches the system's control through.
#include "tests/script_engine_facts.h"

#include "platform/object_access.h"
#include "platform/script_control.h"

const char* const kScriptControlClassIdText = "{0e59f1d5-1fbe-11d0-8ff2-00a0d10038bc}";

namespace {

// The script's own code, whether it came as a short code or inside a control-facility HRESULT.
int32_t scriptCode(int32_t number) {
  const auto bits = static_cast<uint32_t>(number);
  return (bits & 0xFFFF0000u) == 0x800A0000u ? static_cast<int32_t>(bits & 0xFFFFu) : number;
}

const ObjectClass kNeverMade{
    [] { return static_cast<void*>(nullptr); },
    nullptr,
    [](std::u16string_view, uint32_t*) { return -1; },
    [](void*, int32_t, InvokeKind, const Argument*, int32_t, Variant*) { return int32_t{ObjectInvokeFailed}; },
    [](void*) {},
};

}  // namespace

// The language's compile errors are numbered 1001 to 1099; everything else it raises runs.
bool isCompilationErrorNumber(int32_t number) {
  const int32_t code = scriptCode(number);
  return code > 1000 && code < 1100;
}

bool isRuntimeErrorNumber(int32_t number) { return number != 0 && !isCompilationErrorNumber(number); }

void withdrawScriptControl() {
  platformObjects().registerClass(u"MSScriptControl.ScriptControl", u"{00000000-0000-0000-0000-000000000000}",
                                  &kNeverMade);
}

void restoreScriptControl() {
  platformObjects().registerClass(kScriptControlProgId, kScriptControlClassId, &scriptControlClass());
}
