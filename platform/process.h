// The process as the program's start and end need it: the program's own folder as the
// current directory, and ending the process with an exit code, every thread with it.
#pragma once

#include <cstdint>

struct ProcessSystem {
  // Makes the folder that holds the program file the current directory; false when it cannot.
  bool (*enterProgramFolder)();
  // Ends the process with exitCode at once; threads still running end with it. Never returns.
  void (*exit)(int32_t exitCode);
};

// The backend chosen at build time.
const ProcessSystem& platformProcess();
