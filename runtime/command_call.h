// The call convention of runtime commands: arguments and results travel as three 32-bit
// words (value low, value high, type). On 64-bit a pointer spans the low and high words.
// An omitted optional argument is passed as a Missing triple and gets the command's default.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/array_value.h"
#include "runtime/text_value.h"

enum class TypeCode : uint32_t {
  Missing = 0,
  Byte = 0x80000101,
  Int = 0x80000301,
  Double = 0x80000601,
  Logical = 0x80000002,
  Text = 0x80000004,
  SubroutinePointer = 0x80000006,
  ComObject = 0x10030,
};

struct CommandArgument {
  uint32_t low = 0;
  uint32_t high = 0;
  TypeCode type = TypeCode::Missing;

  static CommandArgument missing() { return {}; }
  static CommandArgument ofByte(uint8_t value) { return {value, 0, TypeCode::Byte}; }
  static CommandArgument ofInt(int32_t value) { return {static_cast<uint32_t>(value), 0, TypeCode::Int}; }
  static CommandArgument ofDouble(double value);
  static CommandArgument ofLogical(bool value) { return {value ? 1u : 0u, 0, TypeCode::Logical}; }
  // A text argument is never null: a null text is passed as the constant "".
  static CommandArgument ofText(const char* text);
  static CommandArgument ofPointer(const void* pointer, TypeCode type);

  bool isMissing() const { return type == TypeCode::Missing; }
  int32_t asInt() const { return static_cast<int32_t>(low); }
  bool asLogical() const { return low != 0; }
  double asDouble() const;
  void* asPointer() const;
  const char* asText() const { return static_cast<const char*>(asPointer()); }
};

// The same three words; the caller zeroes it and the command fills the value words.
using CommandResult = CommandArgument;

using Command = void (*)(CommandResult* result, int32_t argumentCount, const CommandArgument* arguments);

// Calls `command` with the arguments in declared order (omitted ones as Missing) and returns
// its result words. A text or array in the result belongs to the caller.
CommandResult callCommand(Command command, std::initializer_list<CommandArgument> arguments);

// The thread library's entry: the same convention, plus a library number it does not use.
CommandResult callLibraryCommand(int32_t library, Command command,
                                 std::initializer_list<CommandArgument> arguments);

// Takes a text result's block as an owned TextValue.
inline TextValue takeText(const CommandResult& result) {
  return TextValue::adopt(static_cast<char*>(result.asPointer()));
}
// Takes an array result's block as an owned ArrayValue.
inline ArrayValue takeArray(const CommandResult& result, ElementType type) {
  return ArrayValue::adopt(result.asPointer(), type);
}
