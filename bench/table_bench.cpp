// Measuring and rendering on generated five-field lines, mixed ASCII and Chinese, and the
// yardstick the whole press is held against: a plain formatter that reads each line once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "bench/generated_input.h"
#include "bench/store_free_table.h"
#include "runtime/text_commands.h"
#include "table/measure_line.h"
#include "table/render_table.h"

namespace {

void BM_MeasureAndRender(benchmark::State& state) {
  const std::string input = generatedInput(state.range(0));
  for (auto _ : state) {
    TextValue table = storeFreeTable(splitText(input.c_str(), "\r\n"), ",");
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MeasureAndRender)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RenderTable(benchmark::State& state) {
  const std::string input = generatedInput(state.range(0));
  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  ColumnMeasure measure;
  for (int32_t i = 1; i <= lines.count(); ++i) measureLine(measure, i, splitText(lines.textAt(i), ","), 5);
  for (auto _ : state) {
    TextValue table = renderTable(InputLines(lines), ",", measure);
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RenderTable)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The framed table as a plain formatter makes it from the same lines: one pass cuts them and
// takes the widest cell of each column, one pass writes. No store and no width rule (every
// line here has five fields, so the rule widens every column alike).
std::string onePassTable(std::string_view input) {
  std::vector<std::string_view> cells;
  std::vector<size_t> cellsPerLine;
  std::vector<size_t> widths;
  for (size_t at = 0; at < input.size();) {
    size_t end = input.find("\r\n", at);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(at, end - at);
    size_t count = 0;
    for (size_t from = 0; from < line.size(); ++count) {
      size_t comma = line.find(',', from);
      if (comma == std::string_view::npos) comma = line.size();
      if (count == widths.size()) widths.push_back(0);
      widths[count] = std::max(widths[count], comma - from);
      cells.push_back(line.substr(from, comma - from));
      from = comma + 1;
    }
    cellsPerLine.push_back(count);
    at = end + 2;
  }
  std::string rule = "+";
  for (const size_t width : widths) rule.append(width + 3, '-').push_back('+');
  rule += "\r\n";
  std::string table;
  table.reserve(input.size() * 3);
  size_t next = 0;
  for (size_t line = 0; line < cellsPerLine.size(); ++line) {
    if (line < 2) table += rule;
    table.push_back('|');
    for (size_t k = 0; k < widths.size(); ++k) {
      const std::string_view cell = k < cellsPerLine[line] ? cells[next + k] : std::string_view();
      table.push_back(' ');
      table += cell;
      table.append(widths[k] + 2 - std::min(cell.size(), widths[k] + 2), ' ');
      table.push_back('|');
    }
    next += cellsPerLine[line];
    table += "\r\n";
  }
  table += rule;
  return table;
}

void BM_OnePassFormatter(benchmark::State& state) {
  const std::string input = generatedInput(state.range(0));
  // Held against the program's table only where that is quick to make.
  if (state.range(0) <= 100000 && onePassTable(input) != storeFreeTable(splitText(input.c_str(), "\r\n"), ",").c_str()) {
    state.SkipWithError("the formatter's table is not the program's");
  }
  for (auto _ : state) {
    std::string table = onePassTable(input);
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OnePassFormatter)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(3000000)->Unit(benchmark::kMillisecond);

}  // namespace
