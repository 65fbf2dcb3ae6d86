// What the runtime does for the program at its start and its very end: the process's set-up,
// the main thread's OLE initialisation, the program folder as the current directory, and
// ending the process.
#pragma once

#include <cstdint>

// Sets the process up (how freed memory goes back to the system); first thing in main(),
// before any other thread starts.
void startProcess();

// Initialises the calling (main) thread for OLE; false when the object layer refuses.
bool initialiseMainThreadOle();

// Makes the folder holding the program file the current directory; false when it cannot.
bool enterProgramFolder();

// Ends the process with exitCode at once; worker threads end with it. Never returns.
[[noreturn]] void endProcess(int32_t exitCode);
