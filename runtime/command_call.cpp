// Packing values into the three-word argument form and the command entry itself.
#include "runtime/command_call.h"

#include <cstring>

namespace {

CommandArgument packWide(uint64_t bits, TypeCode type) {
  return {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), type};
}

uint64_t unpackWide(const CommandArgument& argument) {
  return (static_cast<uint64_t>(argument.high) << 32) | argument.low;
}

}  // namespace

CommandArgument CommandArgument::ofDouble(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return packWide(bits, TypeCode::Double);
}

CommandArgument CommandArgument::ofText(const char* text) {
  return ofPointer(text != nullptr ? text : "", TypeCode::Text);
}

CommandArgument CommandArgument::ofPointer(const void* pointer, TypeCode type) {
  return packWide(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer)), type);
}

double CommandArgument::asDouble() const {
  const uint64_t bits = unpackWide(*this);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void* CommandArgument::asPointer() const {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(unpackWide(*this)));
}

CommandResult callCommand(Command command, std::initializer_list<CommandArgument> arguments) {
  CommandResult result{};
  command(&result, static_cast<int32_t>(arguments.size()), arguments.begin());
  return result;
}

CommandResult callLibraryCommand(int32_t /*library*/, Command command,
                                 std::initializer_list<CommandArgument> arguments) {
  return callCommand(command, arguments);
}
