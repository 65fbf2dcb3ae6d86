#include "table/input_lines.h"

#include <cstddef>
#include <utility>

#include "runtime/cut_fields.h"

InputLines::InputLines(TextValue text) {
  char* bytes = text.detach();
  std::vector<std::pair<char*, std::size_t>> cut;
  cutFields(bytes, "\r\n", [&](const char* begin, std::size_t length) {
    cut.emplace_back(bytes + (begin - bytes), length);
  });
  // Ended only once the walk is over: it reads the text as it goes.
  lines_.reserve(cut.size());
  for (auto [begin, length] : cut) {
    begin[length] = '\0';
    lines_.push_back(begin);
  }
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
