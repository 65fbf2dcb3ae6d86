// The list of exit routines. Registration and the end both happen on the main thread; the
// lock only keeps a stray registration from another thread from tearing the list.
#include "runtime/exit_routines.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex listLock;
std::vector<ExitRoutine> routines;

}  // namespace

void registerExitRoutine(ExitRoutine routine) {
  std::lock_guard guard(listLock);
  if (routine != nullptr && std::find(routines.begin(), routines.end(), routine) == routines.end()) {
    routines.push_back(routine);
  }
}

void runExitRoutines() {
  std::vector<ExitRoutine> toRun;
  {
    std::lock_guard guard(listLock);
    toRun.swap(routines);
  }
  for (ExitRoutine routine : toRun) routine();
}
