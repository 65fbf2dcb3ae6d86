// The record of a control's last script error, the object "Error" hands out for it, and the
// reading of what the interpreter says about an error (its messages and stack traces).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/object_access.h"

// Error numbers: one per kind of error the interpreter raises.
enum ScriptErrorNumber : int32_t {
  kThrownValue = 1000,  // a value that is no Error object
  kSyntaxError = 1001,
  kReferenceError = 1002,
  kTypeError = 1003,
  kRangeError = 1004,
  kUriError = 1005,
  kEvalError = 1006,
  kOtherError = 1007,
  kNoLanguage = 1008,  // a text run before "Language" was set
};

// The error object's eight members; all zero and empty after a clean run.
struct ScriptError {
  int32_t number = 0;
  std::u16string source;
  std::u16string description;
  std::u16string helpFile;
  int32_t helpContext = 0;
  std::u16string text;
  int32_t line = 0;
  int32_t column = 0;
};

// A new object (one reference) holding a copy of `error`, with the eight members to get.
PlatformObject* newErrorObject(const ScriptError& error);

// The number for an Error object named `name` ("TypeError", ...).
int32_t errorNumberOf(std::string_view name);

// The line of the innermost frame of a stack trace that names one; 0 when none does.
int32_t traceLine(std::string_view trace);

// Splits the "FILE:LINE: " that starts a compile error's message off the message; *line gets
// LINE (untouched when the message does not start so).
std::string_view splitCompileLine(std::string_view message, std::string_view file, int32_t* line);

// Line `line` (counting from 1) of `code`, without its line break; empty outside the text.
std::string_view sourceLine(std::string_view code, int32_t line);
