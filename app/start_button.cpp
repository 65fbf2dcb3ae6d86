// The click on "按钮1": turns the radio choice into the field separator, empties the output
// box and starts one run on a worker. It never waits for the run.
#include "app/start_button.h"

#include <utility>

#include "runtime/runtime_error.h"
#include "runtime/text_commands.h"
#include "table/generate_table.h"
#include "table/press.h"
#include "ui/control_property.h"
#include "ui/main_window.h"

void onStartButtonClick() { startRunOnClick(tableWorkerEntry); }

void startRunOnClick(WorkerRoutine worker) {
  // "tab" before "空格" before the comma: "单选框3" is never read, the comma is the choice
  // whenever neither of the first two is checked.
  TextValue separator;
  if (readChecked(unitId::kMainWindow, unitId::kRadioBox1) == 1) {
    separator = charFromCode(9);
  } else if (readChecked(unitId::kMainWindow, unitId::kRadioBox2) == 1) {
    separator = charFromCode(32);
  } else {
    separator = TextValue::constant(",");
  }
  const uint32_t press = pressWithSeparator(std::move(separator));
  writeContent(unitId::kMainWindow, unitId::kEditBox2, "");
  // The press's number goes with the run: its worker may start after a later press. A press
  // that starts no run would leave the person before an empty box, believing it done: a
  // refused thread (the system out of memory or threads) ends the program with the box.
  if (!startThread(worker, static_cast<int32_t>(press))) reportFatalMessage("创建工作线程失败!");
}
