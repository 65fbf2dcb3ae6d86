// Boxes can only be shown on the main thread, and the end of the program runs there too, so
// a worker hands its error text over and waits. A worker whose hand-over is refused, or
// which arrives while the end is already under way, waits for the process to end under it:
// ending the process itself would race the main thread's own end and its exit code.
#include "app/fatal_error_box.h"

#include <condition_variable>
#include <mutex>
#include <string>

#include "app/program.h"
#include "runtime/process_services.h"
#include "runtime/runtime_error.h"
#include "ui/main_thread_call.h"
#include "ui/window_session.h"

namespace {

[[noreturn]] void showBoxAndEnd(const std::string& text, int exitCode) {
  // An error raised by the end itself ends the process at once.
  if (programEnding()) endProcess(exitCode);
  showErrorBox("错误", text.c_str());
  endProgram(exitCode);
}

[[noreturn]] void waitForTheEnd() {
  std::mutex never;
  std::condition_variable forever;
  std::unique_lock guard(never);
  for (;;) forever.wait(guard);
}

void onFatalError(const std::string& text, int exitCode) {
  if (isMainThread()) showBoxAndEnd(text, exitCode);
  runOnMainThread([&] {
    if (!programEnding()) showBoxAndEnd(text, exitCode);
  });
  waitForTheEnd();
}

}  // namespace

void installFatalErrorBox() { setFatalErrorHandler(onFatalError); }
