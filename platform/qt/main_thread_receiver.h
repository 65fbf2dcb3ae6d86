// The Qt backend's main-thread gate: calls from workers travel in events of our own to a
// receiver object on the main thread. Private to platform/qt.
#pragma once

#include "platform/shared/main_thread_gate.h"

namespace qtbackend {

// The gate of the Qt window system; its carried calls go to the receiver.
extern MainThreadGate mainThreadGate;

// Makes the receiver if there is none and opens the gate on the calling thread; needs a live
// QCoreApplication.
void openGate();
// Closes the gate and deletes the receiver, which discards the calls still queued: their
// callers stay blocked. Called before the application object goes away.
void dropGate();

}  // namespace qtbackend
