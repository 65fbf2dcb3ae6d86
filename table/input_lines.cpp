#include "table/input_lines.h"

#include <cstddef>

#include "runtime/cut_fields.h"

namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr std::ptrdiff_t kLineBreakLength = sizeof kLineBreak - 1;

}  // namespace

InputLines::InputLines(TextValue text) {
  char* bytes = text.detach();
  std::size_t lastLength = 0;
  cutFields(bytes, kLineBreak, [&](const char* begin, std::size_t length) {
    lines_.push_back(begin);
    lastLength = length;
  });
  // Ended only once the walk is over, since it reads the text as it goes: a line ends where
  // the "\r\n" before the next one begins, the last one after its length.
  for (std::size_t k = 1; k < lines_.size(); ++k) bytes[lines_[k] - bytes - kLineBreakLength] = '\0';
  if (!lines_.empty()) bytes[lines_.back() - bytes + static_cast<std::ptrdiff_t>(lastLength)] = '\0';
  text_ = TextValue::adopt(bytes);
}

InputLines::InputLines(const ArrayValue& lines) {
  lines_.reserve(static_cast<std::size_t>(lines.count()));
  for (int32_t i = 1; i <= lines.count(); ++i) {
    const char* line = lines.textAt(i);
    lines_.push_back(line != nullptr ? line : "");
  }
}

const char* InputLines::textAt(int32_t index, ErrorSite site) const {
  if (index < 1) reportRuntimeError(RuntimeError::IndexBelowOne, site);
  if (index > count()) reportRuntimeError(RuntimeError::IndexAboveRange, site);
  return lines_[static_cast<std::size_t>(index - 1)];
}
