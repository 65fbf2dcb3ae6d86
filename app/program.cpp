// Start-up and the end of the program. Nothing here waits for a worker: the process ends
// under any run still going, and such a run finds the main thread no longer taking calls.
#include "app/program.h"

#include <atomic>

#include "app/globals.h"
#include "app/start_button.h"
#include "runtime/exit_routines.h"
#include "runtime/process_services.h"
#include "runtime/runtime_error.h"
#include "runtime/thread_commands.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"
#include "ui/window_session.h"

namespace {

const NamedHandler kHandlers[] = {{kStartButtonClickHandler, onStartButtonClick}};

std::atomic<bool> ending{false};
uint32_t startedWindow = 0;

}  // namespace

int32_t runProgram() { return runProgramFrom(MainWindow, kHandlers); }

int32_t runProgramFrom(const FormDescription& description, std::span<const NamedHandler> handlers) {
  initialiseMainThreadOle();
  enterProgramFolder();
  startedWindow = description.unitId;
  if (!loadForm(description, handlers)) reportFatalMessage("载入启动窗口失败");
  registerExitRoutine(releaseGlobals);
  if (!createForm(description.unitId)) reportFatalMessage("载入启动窗口失败");
  runMessageLoop();
  return 0;
}

void endProgram(int32_t exitCode) {
  ending = true;
  dropForm(startedWindow);
  runExitRoutines();
  endThreadService();
  stopWindowSystem();
  endProcess(exitCode);
}

bool programEnding() { return ending.load(); }
