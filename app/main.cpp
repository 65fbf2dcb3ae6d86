// The program's entry: the window system and the error box first, then the program, then
// its end with exit code 0.
#include "app/fatal_error_box.h"
#include "app/program.h"
#include "ui/window_session.h"

int main(int argc, char** argv) {
  if (!startWindowSystem(argc, argv)) return -1;
  installFatalErrorBox();
  endProgram(runProgram());
}
