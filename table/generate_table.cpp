// One run of the table generator, on its worker. Everything it makes lives in its TableRun
// and is released when that ends, on the early exits too; only the output box keeps its
// table. A run that a later press has superseded stops at its next line: its table could
// never be shown, and impatient presses would otherwise pile up work and memory.
#include "table/generate_table.h"

#include <utility>

#include "platform/process.h"
#include "runtime/text_commands.h"
#include "runtime/work_ahead.h"
#include "table/recording_pass.h"
#include "table/render_table.h"
#include "ui/control_property.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

namespace {

// Rendered pieces (about 64 KiB each) that may wait for the output box's layout at a time.
constexpr size_t kPiecesWaiting = 4;

}  // namespace

void tableWorkerEntry(intptr_t parameter) { generateTable(static_cast<uint32_t>(parameter)); }

void generateTable(uint32_t press) {
  TableRun run(press);
  if (run.readInput() && run.recordInput()) run.writeTable();
}

// The separator is this run's own copy, so a later press can replace the global freely. The
// click emptied the output box before the run started: what the last table held goes back to
// the system here, or this run's store would be built on top of it.
TableRun::TableRun(uint32_t press) : start_(beginRun(press)) { platformProcess().giveBackFreeMemory(); }

bool TableRun::readInput() {
  input_ = readContent(unitId::kMainWindow, unitId::kEditBox1);
  return compareText(input_.data(), "") != 0 && !start_.press.superseded();
}

bool TableRun::recordInput() {
  lines_ = InputLines(std::move(input_));
  return recordLines(lines_, start_.separator.c_str(), cellStore_, measure_, start_.press);
}

void TableRun::writeTable() {
  // Converted and laid out for the output box a piece at a time, so that the table is never
  // held whole beside the box's copy and the window only has to take it. The next pieces are
  // rendered, converted and cut into the box's blocks ahead; the worker only writes them into
  // the box's layout: Qt's fonts belong to the thread that used them, and the worker is sure
  // to be there still when the box takes it.
  PreparedContent content = prepareContent(unitId::kMainWindow, unitId::kEditBox2);
  {
    TablePieces table(lines_, start_.separator.c_str(), measure_, start_.press);
    std::string rendered;
    WorkAhead<PreparedContent::Piece> pieces(kPiecesWaiting, [&](PreparedContent::Piece& piece) {
      if (!table.next(rendered)) return false;
      piece = content.prepare(rendered);
      return true;
    });
    // The store has done its part: ending it here, while the first pieces are rendered,
    // gives its engine's memory back before the box's layout grows (a 100,000-line store
    // holds ~50 MB; the pieces waiting, a few hundred KiB).
    cellStore_.clear();
    cellStore_.destroy();
    platformProcess().giveBackFreeMemory();
    for (PreparedContent::Piece piece; pieces.take(piece);) content.append(std::move(piece));
  }
  // The input's lines and widths end before the table is written.
  lines_ = InputLines();
  measure_ = ColumnMeasure();
  // Checked and written in one step on the main thread, where presses happen: a run that a
  // later press has superseded leaves the output box to that press's run.
  runOnMainThread([&] {
    if (!start_.press.superseded()) writePreparedContent(content);
  });
}
