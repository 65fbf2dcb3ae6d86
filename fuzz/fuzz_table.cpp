// Fuzzes measuring and rendering with each of the three separators: the table always ends in
// a line break, has one row per input line plus its rules, and every row whose cells fit has
// exactly the width of the rule. Input is valid GBK, as text read from the window always is.
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"
#include "table/render_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const char* const separators[] = {"\t", " ", ","};
  const char* separator = separators[data[0] % 3];
  const std::string input = validGbk(fuzzFields(data + 1, size - 1, 1)[0]);
  if (input.empty()) return 0;

  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  ColumnMeasure measure;
  int32_t previousLengthCount = 0;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    measureLine(measure, i, splitText(lines.textAt(i), separator), previousLengthCount);
    previousLengthCount = splitText(measure.cellLengthsText.c_str(), ",").count();
  }
  const TextValue table = renderTable(InputLines(lines), separator, measure);
  const std::string_view out = table.view();
  const TextValue ruleText = borderLine(measure);
  const std::string_view rule = ruleText.view();

  FUZZ_CHECK(out.size() >= 2 && out.substr(out.size() - 2) == "\r\n");
  int32_t rows = 0;
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t end = out.find("\r\n", start);
    FUZZ_CHECK(end != std::string_view::npos);
    const std::string_view row = out.substr(start, end - start);
    if (row[0] == '+') {
      FUZZ_CHECK(row == rule);
    } else {
      ++rows;
      const ArrayValue cells = splitText(lines.textAt(rows), separator);
      bool fits = true;
      for (int32_t k = 1; k <= cells.count(); ++k) {
        fits = fits && textLength(cells.textAt(k)) <= measure.columnWidths.intAt(k);
      }
      if (fits) FUZZ_CHECK(row.size() == rule.size());
    }
    start = end + 2;
  }
  FUZZ_CHECK(rows == lines.count());
  const int32_t breaks = lines.count() + (lines.count() >= 2 ? 3 : 2);
  int32_t counted = 0;
  for (std::size_t at = out.find("\r\n"); at != std::string_view::npos; at = out.find("\r\n", at + 2)) ++counted;
  FUZZ_CHECK(counted == breaks);
  return 0;
}
