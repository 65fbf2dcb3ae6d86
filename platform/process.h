// The process as the program's start and end need it: its memory set up, the program's own
// folder as the current directory, and ending the process with an exit code, every thread
// with it.
#pragma once

#include <cstdint>

struct ProcessSystem {
  // Sets the process up for the program; first thing in main(), before any other thread.
  // Memory freed in big blocks (an engine's heap when its document ends) goes back to the
  // system instead of staying with the C library.
  void (*start)();
  // Hands what the C library holds free back to the system: after a big piece of work has
  // ended (a cell store), so the next (the table's document) is not built on top of it.
  void (*giveBackFreeMemory)();
  // Makes the folder that holds the program file the current directory; false when it cannot.
  bool (*enterProgramFolder)();
  // Ends the process with exitCode at once; threads still running end with it. Never returns.
  void (*exit)(int32_t exitCode);
};

// The backend chosen at build time.
const ProcessSystem& platformProcess();
