// The cost of "Eval" on each of the nine texts the cell store sends per input line, and of
// one input line's worth of cell store work, since the engine's speed is the program's speed.
// Texts that carry a line number differ on every line, so they are never compiled already.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "json/json_document.h"

namespace {

constexpr int kLines = 1000;

using TextOfLine = std::string (*)(int line);

std::string record(int line) { return R"({"row":")" + std::to_string(line) + R"(","column":"4,6,4"})"; }

enum class Document { CellStore, RowRecord };

// Runs the text for lines 2, 3, ... in the document it goes to: the cell store holding
// kLines records, or the row record holding one line's "row" and "column".
void BM_Eval(benchmark::State& state, Document document, TextOfLine textOfLine, bool asText) {
  JsonDocument cellStore;
  for (int line = 1; line <= kLines; ++line) cellStore.append(record(line).c_str(), "test", true);
  JsonDocument rowRecord;
  rowRecord.setValue("row", "12");
  rowRecord.setValue("column", "4,6,4");
  const ComObject engine = (document == Document::CellStore ? cellStore : rowRecord).getEngine();
  std::vector<std::string> texts;
  for (int line = 2; line <= kLines + 1; ++line) texts.push_back(textOfLine(line));

  size_t next = 0;
  for (auto _ : state) {
    const char* text = texts[next].c_str();
    if (asText) benchmark::DoNotOptimize(callText(engine, "Eval", text));
    else benchmark::DoNotOptimize(callBoolean(engine, "Eval", text));
    if (++next == texts.size()) {
      state.PauseTiming();
      callMember(cellStore.getEngine(), "Eval", "da.test.length = 1000");  // what AppendRecord added
      next = 0;
      state.ResumeTiming();
    }
  }
}

// In the order the recording pass sends them for one line.
BENCHMARK_CAPTURE(BM_Eval, RecordExists, Document::CellStore, [](int line) {
  return "da.test[" + std::to_string(line - 2) + "].column != null";
}, false);
BENCHMARK_CAPTURE(BM_Eval, RecordColumn, Document::CellStore, [](int line) {
  return "da.test[" + std::to_string(line - 2) + R"(].column.toString().replace(str_reg, '\\'))";
}, true);
BENCHMARK_CAPTURE(BM_Eval, RowExists, Document::RowRecord, [](int) { return std::string("da.row != null"); }, false);
BENCHMARK_CAPTURE(BM_Eval, StoreRow, Document::RowRecord, [](int line) {
  return "da.row = '" + std::to_string(line) + R"('.replace(/\\/g, str_Code))";
}, false);
BENCHMARK_CAPTURE(BM_Eval, ColumnExists, Document::RowRecord, [](int) { return std::string("da.column != null"); }, false);
BENCHMARK_CAPTURE(BM_Eval, StoreColumn, Document::RowRecord, [](int) {
  return std::string(R"(da.column = '4,6,4'.replace(/\\/g, str_Code))");
}, false);
BENCHMARK_CAPTURE(BM_Eval, RecordJson, Document::RowRecord, [](int) {
  return std::string(R"(JSON.stringify(da).replace(str_reg, '\\\\'))");
}, true);
BENCHMARK_CAPTURE(BM_Eval, TestExists, Document::CellStore, [](int) { return std::string("da.test != null"); }, false);
BENCHMARK_CAPTURE(BM_Eval, AppendRecord, Document::CellStore, [](int line) {
  return "if (Object.prototype.toString.call(da.test) != '[object Array]') { da.test = new Array() } "
         "da.test.push(" + record(line) + ")";
}, false);

// One recording step of the table generator: read back the previous record's lengths, set the
// row record's two members, take its JSON and push it onto the store.
void BM_CellStoreLine(benchmark::State& state) {
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
    if (line == kLines) {
      state.PauseTiming();
      cellStore.clear();
      line = 0;
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_CellStoreLine);

}  // namespace

// Making a document: a fresh engine with the script library installed.
void BM_CreateDocument(benchmark::State& state) {
  for (auto _ : state) {
    JsonDocument document;
    benchmark::DoNotOptimize(&document);
  }
}
BENCHMARK(BM_CreateDocument)->Unit(benchmark::kMicrosecond);
