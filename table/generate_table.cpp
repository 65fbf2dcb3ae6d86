// One run of the table generator, on its worker. Everything it makes lives in this frame and
// is released when it returns, on the early exit too; only the output box keeps its table.
#include "table/generate_table.h"

#include <atomic>

#include "runtime/text_commands.h"
#include "table/field_separator.h"
#include "ui/control_property.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

namespace {

std::atomic<const RunObserver*> runObserver{nullptr};

template <class Event, class... Arguments>
void notify(Event RunObserver::*event, Arguments&... arguments) {
  const RunObserver* observer = runObserver.load();
  if (observer != nullptr && observer->*event != nullptr) (observer->*event)(arguments...);
}

}  // namespace

void observeRuns(const RunObserver* observer) { runObserver.store(observer); }

void tableWorkerEntry(intptr_t /*parameter*/) {
  generateTable();
  notify(&RunObserver::ended);
}

namespace {

// Reads the input, records its lines in the cell store and lays out the table; null for an
// empty input. The input, its lines and both documents end here, before the table is
// written: at that moment the output box's copies of the table are the largest things alive.
TextValue recordAndRender(const TextValue& separator) {
  JsonDocument cellStore;
  JsonDocument rowRecord;

  // Read once: a second read could see the box emptied in between and find no line at all.
  TextValue input = readContent(unitId::kMainWindow, unitId::kEditBox1);
  notify(&RunObserver::inputRead);
  if (compareText(input.data(), "") == 0) return {};

  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  input.reset();
  ColumnMeasure measure;
  recordLines(lines, separator.c_str(), cellStore, rowRecord, measure);
  notify(&RunObserver::recorded, cellStore);
  rowRecord.clear();
  cellStore.clear();
  // The documents have done their part: ending them here gives their engines' memory back
  // before the table is built (a 100,000-line store holds ~90 MB).
  rowRecord.destroy();
  cellStore.destroy();

  return renderTable(lines, separator.c_str(), measure);
}

}  // namespace

void generateTable() {
  // The separator is this run's own copy, so a later press can replace the global freely.
  const RunStart run = beginRun();
  const TextValue table = recordAndRender(run.separator);
  if (table.isNull()) return;
  // Checked and written in one step on the main thread, where presses happen: a run that a
  // later press has superseded leaves the output box to that press's run.
  runOnMainThread([&] {
    if (isLatestPress(run.press)) writeContent(unitId::kMainWindow, unitId::kEditBox2, table.c_str());
  });
}
