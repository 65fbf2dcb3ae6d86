// The input's lines, as splitText cuts a text at "\r\n", without a text made for each line:
// the input is cut where it lies, each "\r\n" overwritten by NULs, and a line is a pointer
// into it. A 100,000-line paste so costs one pointer a line instead of a block and a copy.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/array_value.h"
#include "runtime/runtime_error.h"
#include "runtime/text_value.h"

class InputLines {
 public:
  InputLines() = default;
  // Takes the text (a heap text, as a read of a box gives) and cuts it in place.
  explicit InputLines(TextValue text);
  // The lines another array holds, lent: the array must outlive this.
  explicit InputLines(const ArrayValue& lines);

  int32_t count() const { return static_cast<int32_t>(lines_.size()); }
  // Line `index` (from 1), never null; an index outside the lines ends the program as an
  // array's does.
  const char* textAt(int32_t index, ErrorSite site = ErrorSite::here()) const;

 private:
  TextValue text_;
  std::vector<const char*> lines_;
};
