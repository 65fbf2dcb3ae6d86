// The Win32 backend's hand-over of calls to the main thread: a hidden message-only window
// on the main thread, to which a worker sends its call and waits, as SendMessage does.
// Private to platform/user32.
#pragma once

#include <windows.h>

#include "platform/window_system.h"

namespace user32backend {

// Records the calling thread as the main thread, creates the hidden window and starts taking
// calls. False when the window cannot be created.
bool openGate(HINSTANCE instance);
// Refuses every later call, and every sent call not yet run. Idempotent.
void closeGate();
// Closes the gate and destroys the hidden window; a sender still waiting is released with a
// refusal by the system. Main thread only.
void dropGate();
bool isMainThread();
bool callOnMainThread(PlatformCall call, void* context);

}  // namespace user32backend
