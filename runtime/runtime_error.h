// The fatal-error service: every error the runtime cannot recover from (a bad array index,
// a failed allocation, a control that no longer exists) ends here, shows one box and ends
// the program with exit code -1. The box and the end are the application's to install.
#pragma once

#include <cstdint>
#include <string>

enum class RuntimeError : int32_t {
  None = 0,
  IndexAboveRange = 1,
  NumberExpected = 2,
  DimensionMismatch = 3,
  IndexBelowOne = 4,
  TypeMismatch = 5,
  StackAfterExternalCall = 6,
  SubroutineResult = 7,
  OnlyEqualityComparable = 8,
  ChoiceIndexOutOfRange = 9,
  NegativeArraySize = 10,
  ArgumentType = 11,
};

// Where an error was raised: only shown in the box, as "routineId, position".
// Cheap to make, so checked operations can take one on every call.
class ErrorSite {
 public:
  constexpr ErrorSite() = default;
  constexpr ErrorSite(int32_t routineId, int32_t position)
      : routineId_(routineId), position_(position) {}
  // Locates the calling statement: a stable number for its function, and its line.
  // (The builtins rather than std::source_location, which clang 14 lacks with libstdc++.)
  static constexpr ErrorSite here(const char* function = __builtin_FUNCTION(), int line = __builtin_LINE()) {
    ErrorSite site(0, line);
    site.function_ = function;
    return site;
  }
  int32_t routineId() const;
  int32_t position() const { return position_; }

 private:
  const char* function_ = nullptr;
  int32_t routineId_ = 0;
  int32_t position_ = 0;
};

// Returns the table message for code (GBK); empty for None and unknown codes.
const char* runtimeErrorMessage(RuntimeError code);

// Builds the box text for code with its table message, or for code None with `message`.
// The text is GBK with "\r\n" line breaks, laid out exactly as the error box shows it.
std::string runtimeErrorText(RuntimeError code, const char* message, ErrorSite site);

// Shows the box for code and ends the program with exit code -1. Never returns.
[[noreturn]] void reportRuntimeError(RuntimeError code, ErrorSite site = ErrorSite::here());

// The same for a message of its own (no code line), as the allocation and window errors use.
[[noreturn]] void reportFatalMessage(const char* message, ErrorSite site = ErrorSite::here());

// Shows the finished box text and ends the program with `exitCode`; must not return.
using FatalErrorHandler = void (*)(const std::string& text, int exitCode);

// Installs the routine that shows the box and ends the program; null restores the default,
// which writes the text to stderr and exits at once. Returns the previous handler.
FatalErrorHandler setFatalErrorHandler(FatalErrorHandler handler);
