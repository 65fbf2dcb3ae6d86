// One run of the table generator, on its worker. Everything it makes lives in this frame and
// is released when it returns, on the early exits too; only the output box keeps its table.
// A run that a later press has superseded stops at its next line: its table could never be
// shown, and impatient presses would otherwise pile up work and memory.
#include "table/generate_table.h"

#include <atomic>

#include "runtime/text_commands.h"
#include "table/field_separator.h"
#include "table/recording_pass.h"
#include "table/render_table.h"
#include "ui/busy_pointer.h"
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

// Runs going, counted on the main thread: the window shows the busy pointer while any is,
// superseded ones included, since each still holds the machine until it stops.
int runsGoing = 0;

void countRun(int change) {
  const bool wasGoing = runsGoing > 0;
  runsGoing += change;
  if (wasGoing != (runsGoing > 0)) showBusyPointer(unitId::kMainWindow, runsGoing > 0);
}

}  // namespace

void observeRuns(const RunObserver* observer) { runObserver.store(observer); }

void tableWorkerEntry(intptr_t parameter) {
  // Once the loop has ended both are refused, and nothing is left to point at.
  runOnMainThread([] { countRun(+1); });
  generateTable(static_cast<uint32_t>(parameter));
  runOnMainThread([] { countRun(-1); });
  notify(&RunObserver::ended);
}

namespace {

// Reads the input, records its lines in the cell store and lays out the table; null for an
// empty input. The input, its lines and both documents end here, before the table is
// written: at that moment the output box's copies of the table are the largest things alive.
TextValue recordAndRender(const RunStart& run) {
  JsonDocument cellStore;
  JsonDocument rowRecord;

  // Read once: a second read could see the box emptied in between and find no line at all.
  TextValue input = readContent(unitId::kMainWindow, unitId::kEditBox1);
  notify(&RunObserver::inputRead);
  if (compareText(input.data(), "") == 0 || run.press.superseded()) return {};

  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  input.reset();
  ColumnMeasure measure;
  if (!recordLines(lines, run.separator.c_str(), cellStore, rowRecord, measure, run.press)) return {};
  notify(&RunObserver::recorded, cellStore);
  rowRecord.clear();
  cellStore.clear();
  // The documents have done their part: ending them here gives their engines' memory back
  // before the table is built (a 100,000-line store holds ~90 MB).
  rowRecord.destroy();
  cellStore.destroy();

  return renderTable(lines, run.separator.c_str(), measure, run.press);
}

}  // namespace

void generateTable(uint32_t press) {
  // The separator is this run's own copy, so a later press can replace the global freely.
  const RunStart run = beginRun(press);
  TextValue table = recordAndRender(run);
  if (table.isNull() || run.press.superseded()) return;
  // Converted and laid out for the output box here, so the window only has to take it; the
  // bytes go before the write, leaving the box's copy the only one.
  PreparedContent content = prepareContent(unitId::kMainWindow, unitId::kEditBox2, table.c_str());
  table.reset();
  // Checked and written in one step on the main thread, where presses happen: a run that a
  // later press has superseded leaves the output box to that press's run.
  runOnMainThread([&] {
    if (!run.press.superseded()) writePreparedContent(content);
  });
}
