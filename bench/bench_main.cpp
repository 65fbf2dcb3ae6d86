// main() for the benchmarks: the process is set up as the program's is, and the window system
// runs for the whole program (headless unless a platform is chosen), so the benchmarks that
// press the real button find a main thread.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "runtime/process_services.h"
#include "ui/window_session.h"

int main(int argc, char** argv) {
  startProcess();
  // The offscreen screen is 800x800 unless told otherwise, smaller than the window, which
  // would be cut to it; the tests' screen holds it whole.
  setenv("QT_QPA_PLATFORM", "offscreen:configfile=" CELLBRAE_OFFSCREEN_SCREEN, 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!startWindowSystem(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  stopWindowSystem();
  return 0;
}
