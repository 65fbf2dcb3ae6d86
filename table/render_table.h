// The framed table drawn from the lines and the column widths measured for them.
#pragma once

#include <string>

#include "table/input_lines.h"
#include "runtime/text_value.h"
#include "table/measure_line.h"
#include "table/press.h"

// "+" then, per column, width + 3 dashes and a "+"; just "+" when there are no columns.
TextValue borderLine(const ColumnMeasure& measure);

// The framed table: a rule above the first line and under it, the rows padded to the
// column widths, a closing rule; every line, the last too, ends in "\r\n". Each line is cut
// into cells at `separator` again. Time is linear in the size of the table. Null, with
// everything made released, once `run` has been superseded (asked before each line).
TextValue renderTable(const InputLines& lines, const char* separator, const ColumnMeasure& measure,
                      const RunPress& run = RunPress());

// The same table a piece of about 64 KiB at a time, in order, each ending after a "\r\n", so
// that it is never held whole.
class TablePieces {
 public:
  TablePieces(const InputLines& lines, const char* separator, const ColumnMeasure& measure,
              const RunPress& run = RunPress());
  // Replaces piece with the next; false after the last, or once `run` has been superseded
  // (asked before each line), having given only whole pieces.
  bool next(std::string& piece);
  // True once the last piece has been given, the closing rule with it.
  bool complete() const { return complete_; }

 private:
  const InputLines& lines_;
  const char* separator_;
  const ColumnMeasure& measure_;
  const RunPress& run_;
  TextValue rule_;
  int32_t nextLine_ = 1;
  bool complete_ = false;
  bool stopped_ = false;
};
