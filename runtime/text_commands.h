// The eight text and conversion commands, in the command-call form (namespace
// textCommands) and as typed wrappers that read like ordinary calls. Positions, lengths and
// counts are in bytes; splitText and replaceText step over a two-byte character as a unit.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/code_page.h"
#include "runtime/array_value.h"
#include "runtime/command_call.h"
#include "runtime/text_value.h"

namespace textCommands {
void textStartsWith(CommandResult* result, int32_t count, const CommandArgument* arguments);
void textLength(CommandResult* result, int32_t count, const CommandArgument* arguments);
void charFromCode(CommandResult* result, int32_t count, const CommandArgument* arguments);
void toInteger(CommandResult* result, int32_t count, const CommandArgument* arguments);
void replaceText(CommandResult* result, int32_t count, const CommandArgument* arguments);
void splitText(CommandResult* result, int32_t count, const CommandArgument* arguments);
void repeatText(CommandResult* result, int32_t count, const CommandArgument* arguments);
void toText(CommandResult* result, int32_t count, const CommandArgument* arguments);
}  // namespace textCommands

// True for a byte that starts a two-byte GBK character (0x81 to 0xFE). 0x80 is the euro sign,
// a character of one byte: taking it for a lead byte would swallow the separator after a "€",
// or drop a "€" at the end. Inline: the cutting and escaping loops ask it of every byte.
inline bool isLeadByte(char byte) { return isGbkLeadByte(static_cast<unsigned char>(byte)); }

// True for a byte that can end a two-byte GBK character (0x40 to 0x7E, 0x80 to 0xFE).
inline bool isTrailByte(char byte) { return isGbkTrailByte(static_cast<unsigned char>(byte)); }

// True when text begins with prefix byte for byte; an empty prefix always matches.
bool textStartsWith(const char* text, const char* prefix);

// Byte length; a Chinese character counts 2.
int32_t textLength(const char* text);

// A one-byte text of the code's low byte; code 0 gives the empty text.
TextValue charFromCode(uint8_t code);

// An Int unchanged; a Double truncated toward zero (low 32 bits; 0 out of range).
int32_t toInteger(double value);

// Replaces every occurrence of find, leftmost first and never rescanning inserted text,
// matching only where a character begins. Defaults as the command: from byte 1, no limit.
struct ReplaceOptions {
  std::optional<int32_t> startPos;
  std::optional<int32_t> maxCount;
  bool caseSensitive = false;
};
TextValue replaceText(const char* text, const char* find, const char* replacement,
                      const ReplaceOptions& options = {});

// Cuts text at each separator into an array of owned texts; empty fields are null elements,
// a trailing separator adds no element, an empty separator gives the whole text.
ArrayValue splitText(const char* text, const char* separator,
                     std::optional<int32_t> maxCount = std::nullopt);

// The number of elements splitText(text, separator) gives, without making them.
int32_t countFields(const char* text, const char* separator);

// count copies of text one after the other; a count of 0 or below gives the empty text.
TextValue repeatText(int32_t count, const char* text);

// "%d" for an Int, "%.13g" for a Double.
TextValue toText(int32_t value);
TextValue toText(double value);
