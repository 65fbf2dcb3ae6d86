// The program's entry: starts the window system and runs the program.
#include "app/program.h"
#include "ui/window_session.h"

int main(int argc, char** argv) {
  if (!startWindowSystem(argc, argv)) return -1;
  const int exitCode = runProgram();
  stopWindowSystem();
  return exitCode;
}
