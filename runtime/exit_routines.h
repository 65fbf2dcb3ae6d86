// The routines the runtime calls when the program ends, in the order they were registered.
#pragma once

using ExitRoutine = void (*)();

// Adds routine to the list; a routine already in it is not added again.
void registerExitRoutine(ExitRoutine routine);

// Calls every registered routine once, in registration order, and empties the list.
void runExitRoutines();
