// The Qt backend's hand-over of calls to the main thread, and the gate that stops it when
// the program ends. Private to platform/qt.
#pragma once

#include "platform/window_system.h"

namespace qtbackend {

// Records the calling thread as the main thread and starts taking calls; needs a live
// QCoreApplication.
void openGate();
// Refuses every later call, and every carried call not yet run. Idempotent.
void closeGate();
// Deletes the receiver; called before the application object goes away.
void dropGate();
bool isMainThread();
bool callOnMainThread(PlatformCall call, void* context);

}  // namespace qtbackend
