// The recording pass keeps one row record per line in the cell store. The record of the line
// before decides whether a line may widen columns already known: its "column" list is read
// back from the store and only its number of entries is used.
#include "runtime/text_commands.h"
#include "table/recording_pass.h"

namespace {

// The number of cell lengths listed in the record of line `lineNumber` (from 1).
int32_t recordedLengthCount(JsonDocument& cellStore, int32_t lineNumber) {
  const TextValue path = concatTexts({"test[", toText(lineNumber - 1).view(), "].column"});
  return splitText(cellStore.getValue(path.c_str()).c_str(), ",").count();
}

}  // namespace

bool recordLines(const ArrayValue& lines, const char* separator, JsonDocument& cellStore,
                 JsonDocument& rowRecord, ColumnMeasure& measure, const RunPress& run) {
  for (int32_t i = 1; i <= lines.count(); ++i) {
    if (run.superseded()) return false;
    const int32_t previousLengthCount = i >= 2 ? recordedLengthCount(cellStore, i - 1) : 0;
    measureLine(measure, i, splitText(lines.textAt(i), separator), previousLengthCount);

    rowRecord.setValue("row", toText(i).c_str());
    rowRecord.setValue("column", measure.cellLengthsText.c_str());
    const TextValue record = rowRecord.toJson();
    cellStore.append(record.c_str(), "test", true);
  }
  return true;
}
