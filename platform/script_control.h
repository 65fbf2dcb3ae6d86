// The script control class: an ES5 interpreter behind the object interface, with members
// "Language", "AddCode", "Eval" and "Error". The object layer registers it under its ProgID.
#pragma once

#include <string_view>

#include "platform/object_access.h"

inline constexpr std::u16string_view kScriptControlProgId = u"MSScriptControl.ScriptControl";
inline constexpr std::u16string_view kScriptControlClassId = u"{5C1E3A27-8D4B-4F60-9A1E-2B7C0D3F6E81}";

// The class table of the backend chosen at build time.
const ObjectClass& scriptControlClass();
