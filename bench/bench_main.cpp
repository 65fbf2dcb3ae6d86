// main() for the benchmarks: the process is set up as the program's is, and the window system
// runs for the whole program (headless unless a platform is chosen), so the benchmarks that
// press the real button find a main thread.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "runtime/process_services.h"
#include "ui/window_session.h"

int main(int argc, char** argv) {
  startProcess();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!startWindowSystem(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  stopWindowSystem();
  return 0;
}
