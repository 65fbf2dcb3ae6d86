// Fuzzes the text commands against invariants that hold for any bytes: splitting and joining
// gives the text back, replacing with nothing never grows a text, repeating is exact.
#include <cstring>
#include <optional>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/text_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const uint8_t options = data[0];
  const auto fields = fuzzFields(data + 1, size - 1, 3);
  const std::string& text = fields[0];
  const std::string& other = fields[1];
  const std::string& third = fields[2];

  // splitText: the pieces joined by the separator are the text, less one trailing separator.
  std::optional<int32_t> limit;
  if (options & 1) limit = static_cast<int32_t>(options >> 4) - 2;
  const ArrayValue pieces = splitText(text.c_str(), other.c_str(), limit);
  std::string joined;
  for (int32_t i = 1; i <= pieces.count(); ++i) {
    if (i > 1) joined += other;
    if (pieces.textAt(i) != nullptr) {
      FUZZ_CHECK(*pieces.textAt(i) != '\0');  // empty pieces are null
      joined += pieces.textAt(i);
    }
  }
  if (limit && *limit <= 0) {
    FUZZ_CHECK(pieces.count() == 0);
  } else if (limit) {
    FUZZ_CHECK(pieces.count() <= *limit);
    FUZZ_CHECK(text.compare(0, joined.size(), joined) == 0);
  } else if (other.empty()) {
    FUZZ_CHECK(joined == text);
  } else {
    FUZZ_CHECK(joined == text || joined + other == text);
  }

  // replaceText with an empty replacement never grows the text; with any replacement, a find
  // text that does not occur (case-sensitively) leaves it unchanged.
  ReplaceOptions replaceOptions;
  replaceOptions.caseSensitive = (options & 2) != 0;
  if (options & 4) replaceOptions.startPos = static_cast<int32_t>(options >> 3) - 4;
  if (options & 8) replaceOptions.maxCount = static_cast<int32_t>(options >> 5) - 1;
  const TextValue shrunk = replaceText(text.c_str(), other.c_str(), "", replaceOptions);
  FUZZ_CHECK(shrunk.length() <= static_cast<int32_t>(text.size()));
  const TextValue replaced = replaceText(text.c_str(), other.c_str(), third.c_str(), replaceOptions);
  if (replaceOptions.caseSensitive && !other.empty() && text.find(other) == std::string::npos) {
    const bool loneLeadAtEnd = !text.empty() && isLeadByte(text.back());
    if (!loneLeadAtEnd) FUZZ_CHECK(replaced.view() == text);
  }

  // repeatText is count copies exactly; textStartsWith agrees with a byte comparison.
  const int32_t count = static_cast<int32_t>(options % 7) - 1;
  const TextValue repeated = repeatText(count, other.c_str());
  FUZZ_CHECK(repeated.length() == (count > 0 ? count * static_cast<int32_t>(other.size()) : 0));
  for (int32_t i = 0; i < count; ++i) {
    FUZZ_CHECK(std::memcmp(repeated.c_str() + i * other.size(), other.data(), other.size()) == 0);
  }
  FUZZ_CHECK(textStartsWith(text.c_str(), other.c_str()) == (text.rfind(other, 0) == 0));
  return 0;
}
