// The text commands scan bytes, treating a GBK lead byte as the start of a two-byte
// character so a separator or search text never matches inside one. Output is assembled in
// one ByteBuffer per command and handed out as the caller's text.
#include "runtime/text_commands.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/code_page.h"
#include "runtime/byte_buffer.h"
#include "runtime/cut_fields.h"
#include "runtime/number_conversion.h"

namespace {

const CommandArgument kMissing{};

const CommandArgument& argumentAt(int32_t count, const CommandArgument* arguments, int32_t index) {
  return index < count ? arguments[index] : kMissing;
}


char asciiLower(char byte) { return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : byte; }

bool matchesAt(const char* at, const char* find, std::size_t length, bool caseSensitive) {
  if (caseSensitive) return std::memcmp(at, find, length) == 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (asciiLower(at[i]) != asciiLower(find[i])) return false;
  }
  return true;
}

void setText(CommandResult* result, TextValue text) {
  *result = CommandArgument::ofPointer(text.detach(), TypeCode::Missing);
}

void setInt(CommandResult* result, int32_t value) {
  result->low = static_cast<uint32_t>(value);
  result->high = 0;
}

}  // namespace

namespace textCommands {

void textStartsWith(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const char* text = argumentAt(count, arguments, 0).asText();
  const char* prefix = argumentAt(count, arguments, 1).asText();
  const std::size_t prefixLength = std::strlen(prefix);
  const bool starts = prefixLength <= std::strlen(text) && std::memcmp(text, prefix, prefixLength) == 0;
  setInt(result, starts ? 1 : 0);
}

void textLength(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  setInt(result, byteLength(argumentAt(count, arguments, 0).asText()));
}

void charFromCode(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const char byte = static_cast<char>(argumentAt(count, arguments, 0).low & 0xFF);
  setText(result, TextValue::copyOf(std::string_view(&byte, byte == '\0' ? 0 : 1)));
}

void toInteger(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const CommandArgument& value = argumentAt(count, arguments, 0);
  setInt(result, value.type == TypeCode::Double ? truncateToInteger(value.asDouble()) : value.asInt());
}

void replaceText(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const char* text = argumentAt(count, arguments, 0).asText();
  const char* find = argumentAt(count, arguments, 1).asText();
  const CommandArgument& replacementArgument = argumentAt(count, arguments, 2);
  const char* replacement = replacementArgument.isMissing() ? "" : replacementArgument.asText();
  const CommandArgument& startArgument = argumentAt(count, arguments, 3);
  const int32_t startPos = startArgument.isMissing() ? 1 : std::max(startArgument.asInt(), 1);
  const CommandArgument& maxArgument = argumentAt(count, arguments, 4);
  int32_t remaining = maxArgument.isMissing() ? -1 : maxArgument.asInt();  // below 0: no limit
  const bool caseSensitive = argumentAt(count, arguments, 5).asLogical();

  const std::size_t textLength = std::strlen(text);
  const std::size_t findLength = std::strlen(find);
  const std::size_t skipped = static_cast<std::size_t>(startPos - 1);
  if (textLength == 0 || findLength == 0 || skipped >= textLength || remaining == 0) {
    setText(result, TextValue::copyOf(text));
    return;
  }

  const std::size_t replacementLength = std::strlen(replacement);
  ByteBuffer out(textLength);
  out.append(std::string_view(text, skipped));
  std::size_t at = skipped;
  while (textLength - at >= findLength) {
    if (matchesAt(text + at, find, findLength, caseSensitive)) {
      out.append(std::string_view(replacement, replacementLength));
      at += findLength;
      if (remaining > 0 && --remaining == 0) break;
    } else if (isLeadByte(text[at])) {
      if (text[at + 1] == '\0') {  // a lone lead byte at the end is dropped
        at += 1;
        break;
      }
      out.append(std::string_view(text + at, 2));
      at += 2;
    } else {
      out.appendByte(text[at]);
      at += 1;
    }
  }
  out.append(std::string_view(text + at, textLength - at));
  setText(result, out.takeText());
}

void splitText(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const char* text = argumentAt(count, arguments, 0).asText();
  const CommandArgument& separatorArgument = argumentAt(count, arguments, 1);
  const char* separator = separatorArgument.isMissing() ? "," : separatorArgument.asText();
  const CommandArgument& maxArgument = argumentAt(count, arguments, 2);
  const bool limited = !maxArgument.isMissing();
  int32_t remaining = limited ? std::max(maxArgument.asInt(), 0) : 0;

  // The element pointers are gathered in a ByteBuffer, then laid out as the array block.
  ByteBuffer pieces;
  auto appendPiece = [&pieces](const char* begin, std::size_t length) {
    char* element = TextValue::copyOf(std::string_view(begin, length)).detach();
    pieces.append(std::string_view(reinterpret_cast<const char*>(&element), sizeof element));
  };

  cutFields(text, separator, appendPiece, limited ? remaining : -1);

  const auto elements = static_cast<int32_t>(pieces.size() / sizeof(char*));
  ArrayValue array = ArrayValue::ofSize(elements, ElementType::Text);
  if (elements > 0) std::memcpy(arrayData(array.block()).elements, pieces.view().data(), pieces.size());
  *result = CommandArgument::ofPointer(array.detach(), TypeCode::Missing);
}

void repeatText(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const int32_t times = std::max(argumentAt(count, arguments, 0).asInt(), 0);
  const char* text = argumentAt(count, arguments, 1).asText();
  const std::size_t length = std::strlen(text);
  ByteBuffer out(static_cast<std::size_t>(times) * length);
  if (length == 1) {
    out.appendRepeated(text[0], static_cast<std::size_t>(times));
  } else {
    for (int32_t i = 0; i < times; ++i) out.append(std::string_view(text, length));
  }
  setText(result, out.takeText());
}

void toText(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const CommandArgument& value = argumentAt(count, arguments, 0);
  char digits[64];
  if (value.type == TypeCode::Double) {
    std::snprintf(digits, sizeof digits, "%.13g", value.asDouble());
  } else {  // the same digits as "%d", without parsing a format on every line
    *std::to_chars(digits, digits + sizeof digits - 1, value.asInt()).ptr = '\0';
  }
  setText(result, TextValue::copyOf(digits));
}

}  // namespace textCommands

bool textStartsWith(const char* text, const char* prefix) {
  return callCommand(textCommands::textStartsWith,
                     {CommandArgument::ofText(text), CommandArgument::ofText(prefix)})
      .asLogical();
}

int32_t textLength(const char* text) {
  return callCommand(textCommands::textLength, {CommandArgument::ofText(text)}).asInt();
}

TextValue charFromCode(uint8_t code) {
  return takeText(callCommand(textCommands::charFromCode, {CommandArgument::ofByte(code)}));
}

int32_t toInteger(double value) {
  return callCommand(textCommands::toInteger, {CommandArgument::ofDouble(value)}).asInt();
}

TextValue replaceText(const char* text, const char* find, const char* replacement,
                      const ReplaceOptions& options) {
  return takeText(callCommand(
      textCommands::replaceText,
      {CommandArgument::ofText(text), CommandArgument::ofText(find), CommandArgument::ofText(replacement),
       options.startPos ? CommandArgument::ofInt(*options.startPos) : CommandArgument::missing(),
       options.maxCount ? CommandArgument::ofInt(*options.maxCount) : CommandArgument::missing(),
       CommandArgument::ofLogical(options.caseSensitive)}));
}

ArrayValue splitText(const char* text, const char* separator, std::optional<int32_t> maxCount) {
  return takeArray(callCommand(textCommands::splitText,
                               {CommandArgument::ofText(text), CommandArgument::ofText(separator),
                                maxCount ? CommandArgument::ofInt(*maxCount) : CommandArgument::missing()}),
                   ElementType::Text);
}

int32_t countFields(const char* text, const char* separator) {
  int32_t fields = 0;
  cutFields(text, separator, [&](const char*, std::size_t) { ++fields; });
  return fields;
}

TextValue repeatText(int32_t count, const char* text) {
  return takeText(callCommand(textCommands::repeatText, {CommandArgument::ofInt(count), CommandArgument::ofText(text)}));
}

TextValue toText(int32_t value) {
  return takeText(callCommand(textCommands::toText, {CommandArgument::ofInt(value)}));
}

TextValue toText(double value) {
  return takeText(callCommand(textCommands::toText, {CommandArgument::ofDouble(value)}));
}
