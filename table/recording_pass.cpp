// The recording pass keeps one row record per line in the cell store. The record of the line
// before decides whether a line may widen columns already known: its "column" list is read
// back from the store and only its number of entries is used.
//
// A record depends on its line alone: its number and its cells' lengths, which the width rule
// never changes (what the store reads back decides only the widths). So the records are built
// ahead, in a document of their own with its own engine, each line cut once there and its
// cells' lengths handed on with its record, while the worker reads back, measures and stores;
// the store and the table are what one thread doing every step in order makes.
#include "table/recording_pass.h"

#include <charconv>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "runtime/text_commands.h"
#include "runtime/work_ahead.h"

namespace {

constexpr size_t kBatchLines = 256;  // the two threads meet once per batch, not once per line
constexpr size_t kBatchesWaiting = 16;

// The number of cell lengths listed in the record of line `lineNumber` (from 1), counted, not
// cut. The path is written into one buffer the pass reuses: only its number changes.
int32_t recordedLengthCount(JsonDocument& cellStore, int32_t lineNumber, std::string& path) {
  char digits[16];
  const auto written = std::to_chars(digits, digits + sizeof digits, lineNumber - 1);
  path.assign("test[").append(digits, written.ptr).append("].column");
  return countFields(cellStore.getValue(path.c_str()).c_str(), ",");
}

// The records of a run of lines, and the lines' cell lengths as they were cut for them, so
// that a line is cut once: line k's lengths end at lengthsEnd[k].
struct RecordBatch {
  std::vector<TextValue> records;
  std::vector<int32_t> lengths;
  std::vector<size_t> lengthsEnd;

  std::span<const int32_t> lengthsOf(size_t k) const {
    const size_t begin = k == 0 ? 0 : lengthsEnd[k - 1];
    return std::span<const int32_t>(lengths).subspan(begin, lengthsEnd[k] - begin);
  }
};

// Builds the records of the lines in order, a batch at a time, on the thread that asks; the
// document is made there on the first batch and ends there with finish.
class RecordBuilder {
 public:
  RecordBuilder(const InputLines& lines, const char* separator, const RunPress& run)
      : lines_(lines), separator_(separator), run_(run) {}

  bool nextBatch(RecordBatch& batch) {
    batch.records.clear();
    batch.lengths.clear();
    batch.lengthsEnd.clear();
    if (!rowRecord_) rowRecord_.emplace();
    for (; nextLine_ <= lines_.count() && batch.records.size() < kBatchLines; ++nextLine_) {
      if (run_.superseded()) return false;
      appendCellLengths(lines_.textAt(nextLine_), separator_, batch.lengths);
      batch.lengthsEnd.push_back(batch.lengths.size());
      // A line without cells is recorded with the lengths of the last line that had some.
      if (const std::span<const int32_t> lengths = batch.lengthsOf(batch.records.size()); !lengths.empty()) {
        writeCellLengths(lengths, lengths_);
      }
      char row[16];
      *std::to_chars(row, row + sizeof row - 1, nextLine_).ptr = '\0';
      rowRecord_->setValue("row", row);
      rowRecord_->setValue("column", lengths_.c_str());
      batch.records.push_back(rowRecord_->toJson());
    }
    return !batch.records.empty();
  }

  void finish() {
    if (!rowRecord_) return;
    rowRecord_->clear();
    rowRecord_.reset();
  }

 private:
  const InputLines& lines_;
  const char* separator_;
  const RunPress& run_;
  std::optional<JsonDocument> rowRecord_;
  std::string lengths_;  // the cell lengths of the last line with cells, its buffer reused
  int32_t nextLine_ = 1;
};

}  // namespace

bool recordLines(const InputLines& lines, const char* separator, JsonDocument& cellStore, ColumnMeasure& measure,
                 const RunPress& run) {
  RecordBuilder builder(lines, separator, run);
  WorkAhead<RecordBatch> records(
      kBatchesWaiting, [&](RecordBatch& batch) { return builder.nextBatch(batch); }, [&] { builder.finish(); });
  RecordBatch batch;
  size_t at = 0;
  std::string path;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    if (run.superseded()) return false;
    const int32_t previousLengthCount = i >= 2 ? recordedLengthCount(cellStore, i - 1, path) : 0;
    if (at == batch.records.size()) {
      // Only a superseded run runs out of records before its lines.
      if (!records.take(batch)) return false;
      at = 0;
    }
    measureLineWidths(measure, i, batch.lengthsOf(at), previousLengthCount);
    cellStore.append(batch.records[at++].c_str(), "test", true);
  }
  // The lengths the measure ends with, those of the last line with cells, as measuring every
  // line with its lengths would have left them: the pass itself needs only the widths.
  for (int32_t i = lines.count(); i >= 1; --i) {
    if (TextValue lengths = cellLengthsOf(lines.textAt(i), separator); !lengths.isEmpty()) {
      measure.cellLengthsText = std::move(lengths);
      break;
    }
  }
  return true;
}
