// The facts of our own script control over mujs: the class our object layer registers at
// start, and the short error numbers it gives.
#include "tests/script_engine_facts.h"

#include "platform/object_access.h"
#include "platform/script_control.h"

const char* const kScriptControlClassIdText = "{5c1e3a27-8d4b-4f60-9a1e-2b7c0d3f6e81}";

bool isCompilationErrorNumber(int32_t number) { return number == 1001; }
bool isRuntimeErrorNumber(int32_t number) { return number == 1003; }

void withdrawScriptControl() { platformObjects().revokeClass(kScriptControlProgId); }

void restoreScriptControl() {
  platformObjects().registerClass(kScriptControlProgId, kScriptControlClassId, &scriptControlClass());
}
