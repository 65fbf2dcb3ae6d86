// The pointer a window shows while work it started goes on behind it: the platform's
// busy-in-background pointer, which still lets the person click, type and press again.
#pragma once

#include <cstdint>

// Shows the busy pointer over the loaded window and all its controls, or the usual pointers
// again. Main thread only; a window not loaded or already destroyed is left alone.
void showBusyPointer(uint32_t windowId, bool busy);

// Holds the busy pointer over a window from any thread while it lives: the pointer shows while
// any hold on the window is alive. For work a press started, superseded work included, since
// each still holds the machine until it stops. Once the message loop has ended, holds change
// nothing.
class BusyPointerHold {
 public:
  explicit BusyPointerHold(uint32_t windowId);
  ~BusyPointerHold();
  BusyPointerHold(const BusyPointerHold&) = delete;
  BusyPointerHold& operator=(const BusyPointerHold&) = delete;

 private:
  uint32_t windowId_;
};
