// What differs between the script controls the two platforms provide: the class id it is
// registered under, how its error numbers read, and how a test takes it away for a while.
// One definition per platform, chosen by the build.
#pragma once

#include <cstdint>

// The script control's class id, as "{...}" text.
extern const char* const kScriptControlClassIdText;

// Whether number is what the control's "Error" gives for a text that does not compile, or
// for one that fails while it runs.
bool isCompilationErrorNumber(int32_t number);
bool isRuntimeErrorNumber(int32_t number);

// Makes "MSScriptControl.ScriptControl" impossible to create in this process, then brings
// back the control the platform provides.
void withdrawScriptControl();
void restoreScriptControl();
