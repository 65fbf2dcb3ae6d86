// The table lines call for, measured and rendered without a cell store: what a working
// store's read-back gives is the number of lengths the previous line left listed. The
// measure-and-render benchmark times it; the Windows paste runs check a shown table by it.
#pragma once

#include "runtime/array_value.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"
#include "table/render_table.h"

inline TextValue storeFreeTable(const ArrayValue& lines, const char* separator) {
  ColumnMeasure measure;
  int32_t previousLengthCount = 0;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    measureLine(measure, i, splitText(lines.textAt(i), separator), previousLengthCount);
    previousLengthCount = splitText(measure.cellLengthsText.c_str(), ",").count();
  }
  return renderTable(InputLines(lines), separator, measure);
}
