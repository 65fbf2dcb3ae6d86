// The Win32 backend's main-thread gate: a hidden message-only window on the main thread, to
// which a worker sends its call and waits, as SendMessage does. Private to platform/user32.
#pragma once

#include <windows.h>

#include "platform/shared/main_thread_gate.h"

namespace user32backend {

// The gate of the Win32 window system; its carried calls go to the hidden window.
extern MainThreadGate mainThreadGate;

// Creates the hidden window if there is none and opens the gate on the calling thread. False,
// leaving the gate closed, when the window cannot be created.
bool openGate(HINSTANCE instance);
// Closes the gate and destroys the hidden window; a sender still waiting is released with a
// refusal by the system. Main thread only.
void dropGate();

}  // namespace user32backend
