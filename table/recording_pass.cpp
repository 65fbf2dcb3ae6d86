// The recording pass keeps one row record per line in the cell store. The record of the line
// before decides whether a line may widen columns already known: its "column" list is read
// back from the store and only its number of entries is used.
//
// The records are built in a document of their own, an engine apart from the store's, so
// recordLinesAhead builds them on a second thread while the worker stores them. A record
// depends on its line alone (its number and its cells' lengths; what the store reads back
// decides only the widths), so that thread measures the lines with its own measure. The worker
// still reads every record back from the store and measures every line with the store's
// answer, and stores a record built ahead only when it is for its line and lists the lengths
// it measured itself; should one ever not, it stops the thread and builds the rest itself.
// Either way the store and the table are what one thread doing every step in order makes.
#include "table/recording_pass.h"

#include <optional>
#include <utility>
#include <vector>

#include "runtime/text_commands.h"
#include "table/hand_over.h"

namespace {

// The number of cell lengths listed in the record of line `lineNumber` (from 1).
int32_t recordedLengthCount(JsonDocument& cellStore, int32_t lineNumber) {
  const TextValue path = concatTexts({"test[", toText(lineNumber - 1).view(), "].column"});
  return splitText(cellStore.getValue(path.c_str()).c_str(), ",").count();
}

// Line `lineNumber`'s record as JSON, listing the lengths measure holds after it.
TextValue buildRecord(JsonDocument& rowRecord, int32_t lineNumber, const ColumnMeasure& measure) {
  rowRecord.setValue("row", toText(lineNumber).c_str());
  rowRecord.setValue("column", measure.cellLengthsText.c_str());
  return rowRecord.toJson();
}

// A record built ahead, with the line it is for and the lengths it lists.
struct AheadRecord {
  int32_t lineNumber = 0;
  TextValue record;
  TextValue lengths;
};

// The records built ahead, handed from their thread to the worker in batches, so the two
// meet once per batch rather than once per line.
class AheadRecords {
 public:
  AheadRecords(const ArrayValue& lines, const char* separator, const RunPress& run)
      : lines_(lines), separator_(separator), run_(run) {}

  bool start() { return thread_.start([this] { build(); }); }

  // The next record, in line order; false once none will come (the thread stopped early).
  bool next(AheadRecord& record) {
    if (at_ == taken_.size()) {
      if (!batches_.take(taken_)) return false;
      at_ = 0;
    }
    record = std::move(taken_[at_++]);
    return true;
  }

  // Stops the thread at its next line and waits for it to end; idempotent.
  void stop() {
    batches_.stop();
    thread_.join();
  }

 private:
  static constexpr size_t kBatchLines = 256;
  static constexpr size_t kBatchesWaiting = 16;

  // The thread: its own document and its own measure, of which only the lengths are used;
  // they do not depend on the read-back, so none is passed.
  void build() {
    JsonDocument rowRecord;
    ColumnMeasure measure;
    std::vector<AheadRecord> batch;
    for (int32_t i = 1; i <= lines_.count() && !run_.superseded(); ++i) {
      measureLine(measure, i, splitText(lines_.textAt(i), separator_), 0);
      batch.push_back({i, buildRecord(rowRecord, i, measure), TextValue::copyOf(measure.cellLengthsText.view())});
      if (batch.size() == kBatchLines || i == lines_.count()) {
        if (!batches_.give(std::move(batch))) break;
        batch.clear();
      }
    }
    rowRecord.clear();
    rowRecord.destroy();
    batches_.end();
  }

  const ArrayValue& lines_;
  const char* separator_;
  const RunPress& run_;
  HandOver<std::vector<AheadRecord>> batches_{kBatchesWaiting};
  SideThread thread_;

  // The worker's batch being used.
  std::vector<AheadRecord> taken_;
  size_t at_ = 0;
};

// The pass itself, on the worker. Records come from `ahead` while they are for the line and
// list the lengths the worker measures; otherwise, or without `ahead`, from rowRecord (made
// on first use when null).
bool recordLoop(const ArrayValue& lines, const char* separator, JsonDocument& cellStore, JsonDocument* rowRecord,
                ColumnMeasure& measure, const RunPress& run, AheadRecords* ahead, int32_t* builtAhead) {
  std::optional<JsonDocument> ownRowRecord;
  AheadRecord built;
  for (int32_t i = 1; i <= lines.count(); ++i) {
    if (run.superseded()) return false;
    const int32_t previousLengthCount = i >= 2 ? recordedLengthCount(cellStore, i - 1) : 0;
    measureLine(measure, i, splitText(lines.textAt(i), separator), previousLengthCount);

    if (ahead != nullptr && !(ahead->next(built) && built.lineNumber == i && built.lengths == measure.cellLengthsText)) {
      // No record, the thread having stopped early (superseded, seen just below), or one that
      // is not what this line's measure lists (which only a width rule whose lengths depended
      // on the read-back would make): the rest of the records are built here.
      ahead->stop();
      ahead = nullptr;
      if (run.superseded()) return false;
    }
    if (ahead == nullptr) {
      if (rowRecord == nullptr) rowRecord = &ownRowRecord.emplace();
      built.record = buildRecord(*rowRecord, i, measure);
    } else if (builtAhead != nullptr) {
      ++*builtAhead;
    }
    cellStore.append(built.record.c_str(), "test", true);
  }
  return true;
}

}  // namespace

bool recordLines(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                 JsonDocument& rowRecord, ColumnMeasure& measure, const RunPress& run) {
  return recordLoop(lines, separator, cellStore, &rowRecord, measure, run, nullptr, nullptr);
}

bool recordLinesAhead(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                      ColumnMeasure& measure, const RunPress& run, int32_t* builtAhead) {
  if (builtAhead != nullptr) *builtAhead = 0;
  AheadRecords ahead(lines, separator, run);
  const bool started = ahead.start();
  const bool recorded =
      recordLoop(lines, separator, cellStore, nullptr, measure, run, started ? &ahead : nullptr, builtAhead);
  ahead.stop();
  return recorded;
}
