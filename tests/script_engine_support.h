// What the script engine tests share: a scope holding the thread's COM initialisation, a
// ready engine, its "Error" record read whole, and the skip for a process whose architecture
// has no script control registered (64-bit Windows).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "json/com_object.h"
#include "json/script_library.h"
#include "platform/object_access.h"

// Holds one COM initialisation of the calling thread for a scope.
struct ComScope {
  ComScope() { platformObjects().initialize(); }
  ~ComScope() { platformObjects().uninitialize(); }
};

// Whether this process can make the script control at all; asked once.
inline bool scriptControlRegistered() {
  static const bool registered = [] {
    ComScope com;
    ComObject engine;
    return createObject(engine, "MSScriptControl.ScriptControl");
  }();
  return registered;
}

#define SKIP_WITHOUT_SCRIPT_CONTROL()                                                                 \
  do {                                                                                                \
    if (!scriptControlRegistered())                                                                   \
      GTEST_SKIP() << "MSScriptControl.ScriptControl is not registered for this architecture here"; \
  } while (false)

inline ComObject newEngine(bool withLibrary = false) {
  ComObject engine;
  EXPECT_TRUE(createObject(engine, "MSScriptControl.ScriptControl"));
  EXPECT_TRUE(putText(engine, "Language", "JavaScript"));
  if (withLibrary) callMember(engine, "AddCode", scriptLibrary());
  return engine;
}

inline std::string evalText(const ComObject& engine, const char* code) {
  return callText(engine, "Eval", code).c_str();
}

struct ErrorRecord {
  int32_t number;
  std::string source, description, helpFile;
  int32_t helpContext;
  std::string text;
  int32_t line, column;
};

// A number member as a 32-bit value; an HRESULT may come back unsigned.
inline int32_t numberMember(const ComObject& object, const char* member) {
  return static_cast<int32_t>(static_cast<int64_t>(getDouble(object, member)));
}

inline ErrorRecord lastError(const ComObject& engine) {
  const ComObject error = callObject(engine, "Error");
  return {numberMember(error, "Number"),      getText(error, "Source").c_str(),
          getText(error, "Description").c_str(), getText(error, "HelpFile").c_str(),
          numberMember(error, "HelpContext"), getText(error, "Text").c_str(),
          numberMember(error, "Line"),        numberMember(error, "Column")};
}
