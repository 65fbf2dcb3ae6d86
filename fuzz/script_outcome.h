// What one text did on either engine, in one form: the completion value as the script control
// hands it out, or the error as its "Error" record reads. Both engines' answers are brought to
// this form by the control's own helpers, so two outcomes compare exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/mujs/reference_engine.h"
#include "platform/object_access.h"

struct ScriptOutcome {
  bool succeeded = false;
  // On success: the completion value (Empty for undefined, Null for null and any object).
  VariantType type = VariantType::Empty;
  bool boolean = false;
  double number = 0;
  std::u16string text;
  // On failure: whether it failed to compile, and the error's number, description and line.
  bool compiling = false;
  int32_t errorNumber = 0;
  std::u16string description;
  int32_t line = 0;
};

// The outcome of an "Eval" or "AddCode" that returned `status`, with `result` its answer; on
// failure the control's "Error" record is read through the object layer. An "AddCode" has no
// completion value: pass null.
ScriptOutcome controlOutcome(const ObjectClass& control, void* instance, int32_t status, const Variant* result);

// The reference engine's outcome brought to the control's form: its thrown name mapped to a
// number, the "script:LINE: " of a compile error split off, a runtime error's line read from
// its stack trace, texts decoded from the interpreter's encoding.
ScriptOutcome referenceOutcome(const ReferenceOutcome& outcome);

// Whether two outcomes agree: success, the value's type and value (numbers bit for bit, or
// both NaN), or the phase, number, description and line of the error. Without compareValue
// (an "AddCode"), success values are not compared.
bool sameOutcome(const ScriptOutcome& a, const ScriptOutcome& b, bool compareValue = true);

// One line for a report.
std::string describeOutcome(const ScriptOutcome& outcome);

// UTF-8 for a report, with control characters, lone surrogates and U+FFFF escaped as \uXXXX.
std::string printable(std::u16string_view text);
