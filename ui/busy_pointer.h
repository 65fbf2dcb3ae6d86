// The pointer a window shows while work it started goes on behind it: the platform's
// busy-in-background pointer, which still lets the person click, type and press again.
#pragma once

#include <cstdint>

// Shows the busy pointer over the loaded window and all its controls, or the usual pointers
// again. Main thread only; a window not loaded or already destroyed is left alone.
void showBusyPointer(uint32_t windowId, bool busy);
