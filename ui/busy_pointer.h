// The pointer a window shows while work it started goes on behind it: the platform's
// busy-in-background pointer, which still lets the person click, type and press again.
#pragma once

#include <cstdint>

// Shows the busy pointer over the loaded window and all its controls, or the usual pointers
// again. Main thread only; a window not loaded or already destroyed is left alone.
void showBusyPointer(uint32_t windowId, bool busy);

// Holds the busy pointer over the main window while it lives: made and ended on any thread,
// counted on the main thread, where the pointer goes back only when the last hold ends. A run
// makes one for its whole life, superseded runs included, since each still holds the machine
// until it stops. Once the loop has ended the count is refused, and nothing is left to point at.
class BusyPointerHold {
 public:
  BusyPointerHold();
  ~BusyPointerHold();
  BusyPointerHold(const BusyPointerHold&) = delete;
  BusyPointerHold& operator=(const BusyPointerHold&) = delete;
};
