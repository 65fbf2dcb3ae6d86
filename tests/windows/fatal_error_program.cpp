// The program's own start-up and end around MainWindow, with a button whose click raises a
// fatal runtime error, on the main thread or (given "worker") on a worker thread, so a test
// in another process can read the real error box and the exit code.
#include <cstring>

#include "app/fatal_error_box.h"
#include "app/program.h"
#include "runtime/runtime_error.h"
#include "runtime/thread_commands.h"
#include "ui/main_window.h"
#include "ui/window_session.h"

namespace {

bool onWorker = false;

void raiseOnWorker(intptr_t) { reportRuntimeError(RuntimeError::IndexAboveRange, ErrorSite(56, 78)); }

void raiseOnClick() {
  if (onWorker) {
    startThread(raiseOnWorker);
    return;
  }
  reportRuntimeError(RuntimeError::IndexAboveRange, ErrorSite(12, 34));
}

const NamedHandler kHandlers[] = {{kStartButtonClickHandler, raiseOnClick}};

}  // namespace

int main(int argc, char** argv) {
  onWorker = argc > 1 && std::strcmp(argv[1], "worker") == 0;
  if (!startWindowSystem(argc, argv)) return 2;
  installFatalErrorBox();
  endProgram(runProgramFrom(MainWindow, kHandlers));
}
