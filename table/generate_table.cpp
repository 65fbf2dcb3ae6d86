// One run of the table generator, on its worker. Everything it makes lives in this frame and
// is released when it returns, on the early exits too; only the output box keeps its table.
// A run that a later press has superseded stops at its next line: its table could never be
// shown, and impatient presses would otherwise pile up work and memory.
#include "table/generate_table.h"

#include <atomic>

#include "platform/process.h"
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

// Reads the input, records its lines in the cell store and lays the table out into content,
// a piece at a time, so that it is never held whole beside the output box's copy. False for
// an empty input and for a run superseded on the way. The input, its lines and the store end
// here, before the table is written.
bool recordAndRender(const RunStart& run, PreparedContent& content) {
  JsonDocument cellStore;

  // Read once: a second read could see the box emptied in between and find no line at all.
  TextValue input = readContent(unitId::kMainWindow, unitId::kEditBox1);
  notify(&RunObserver::inputRead);
  if (compareText(input.data(), "") == 0 || run.press.superseded()) return false;

  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  input.reset();
  ColumnMeasure measure;
  if (!recordLinesAhead(lines, run.separator.c_str(), cellStore, measure, run.press)) return false;
  notify(&RunObserver::recorded, cellStore);
  cellStore.clear();
  // The store has done its part: ending it here gives its engine's memory back before the
  // table is built (a 100,000-line store holds ~50 MB).
  cellStore.destroy();
  platformProcess().giveBackFreeMemory();

  // Converted and laid out for the output box here, so the window only has to take it.
  content = prepareContent(unitId::kMainWindow, unitId::kEditBox2);
  return renderTablePieces(lines, run.separator.c_str(), measure, run.press,
                           [&](std::string_view piece) { content.append(piece); });
}

}  // namespace

void generateTable(uint32_t press) {
  // The separator is this run's own copy, so a later press can replace the global freely.
  const RunStart run = beginRun(press);
  PreparedContent content;
  if (!recordAndRender(run, content) || run.press.superseded()) return;
  // Checked and written in one step on the main thread, where presses happen: a run that a
  // later press has superseded leaves the output box to that press's run.
  runOnMainThread([&] {
    if (!run.press.superseded()) writePreparedContent(content);
  });
}
