// Measuring and rendering on generated five-field lines, mixed ASCII and Chinese.
#include <benchmark/benchmark.h>

#include <string>

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
    TextValue table = renderTable(lines, ",", measure);
    benchmark::DoNotOptimize(table.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RenderTable)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
