// The cost of "Eval" on the cell store's typical expressions, and of one input line's worth of
// cell store work, since the engine's speed is the program's speed.
#include <benchmark/benchmark.h>

#include <string>

#include "json/json_document.h"

namespace {

void evalBoolean(benchmark::State& state, const char* code) {
  JsonDocument document;
  document.setValue("row", "12");
  const ComObject engine = document.getEngine();
  for (auto _ : state) benchmark::DoNotOptimize(callBoolean(engine, "Eval", code));
}

void evalText(benchmark::State& state, const char* code) {
  JsonDocument document;
  document.setValue("row", "12");
  document.setValue("column", "4,6,4");
  const ComObject engine = document.getEngine();
  for (auto _ : state) benchmark::DoNotOptimize(callText(engine, "Eval", code));
}

BENCHMARK_CAPTURE(evalBoolean, RowExists, "da.row != null");
BENCHMARK_CAPTURE(evalBoolean, StoreRow, R"(da.row = '12'.replace(/\\/g, str_Code))");
BENCHMARK_CAPTURE(evalText, RecordJson, R"(JSON.stringify(da).replace(str_reg, '\\'))");

// One recording step of the table generator: read back the previous record's lengths, set the
// row record's two members, take its JSON and push it onto the store.
void cellStoreLine(benchmark::State& state) {
  JsonDocument cellStore;
  JsonDocument rowRecord;
  int line = 0;
  for (auto _ : state) {
    ++line;
    if (line >= 2) {
      const std::string path = "test[" + std::to_string(line - 2) + "].column";
      benchmark::DoNotOptimize(cellStore.getValue(path.c_str()));
    }
    rowRecord.setValue("row", std::to_string(line).c_str());
    rowRecord.setValue("column", "4,6,4");
    const TextValue record = rowRecord.toJson();
    cellStore.append(record.c_str(), "test", true);
    if (line == 1000) {
      state.PauseTiming();
      cellStore.clear();
      line = 0;
      state.ResumeTiming();
    }
  }
}
BENCHMARK(cellStoreLine);

}  // namespace
