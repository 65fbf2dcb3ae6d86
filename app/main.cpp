// The program's entry: the process, the window system and the error box first, then the
// program, then its end with exit code 0.
#include "app/fatal_error_box.h"
#include "app/program.h"
#include "runtime/process_services.h"
#include "ui/window_session.h"

int main(int argc, char** argv) {
  startProcess();
  if (!startWindowSystem(argc, argv)) return -1;
  installFatalErrorBox();
  endProgram(runProgram());
}
