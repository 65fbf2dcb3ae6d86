// The program's own start-up and end around MainWindow, with a button whose click raises a
// fatal runtime error, on the main thread or (given "worker") on a worker thread, so a test
// in another process can read the real error box and the exit code. Given "heap" or
// "engine", the worker's C++ heap or its script engine refuses memory instead.
#include <cstring>
#include <new>

#include "app/fatal_error_box.h"
#include "app/program.h"
#include "json/com_object.h"
#include "platform/object_access.h"
#include "runtime/runtime_error.h"
#include "runtime/thread_commands.h"
#include "tests/windows/refused_memory.h"
#include "ui/main_window.h"
#include "ui/window_session.h"

namespace {

const char* mode = "main";

bool is(const char* name) { return std::strcmp(mode, name) == 0; }

void raiseOnWorker(intptr_t) {
  if (is("heap")) {
    const volatile std::size_t size = kRefusedHeapBlock;  // asked for at run time, as a container asks
    ::operator delete(::operator new(size));
  } else if (is("engine")) {
    platformObjects().initialize();
    ComObject engine;
    createObject(engine, "MSScriptControl.ScriptControl");
    putText(engine, "Language", "JavaScript");
    callMember(engine, "Eval", kTextTheEngineRefuses);
  }
  reportRuntimeError(RuntimeError::IndexAboveRange, ErrorSite(56, 78));
}

void raiseOnClick() {
  if (!is("main")) {
    startThread(raiseOnWorker);
    return;
  }
  reportRuntimeError(RuntimeError::IndexAboveRange, ErrorSite(12, 34));
}

const NamedHandler kHandlers[] = {{kStartButtonClickHandler, raiseOnClick}};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) mode = argv[1];
  if (!startWindowSystem(argc, argv)) return 2;
  installFatalErrorBox();
  endProgram(runProgramFrom(MainWindow, kHandlers));
}
