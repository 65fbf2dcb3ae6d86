// The main-thread hand-over as the layers above see it; the window system does the carrying.
#include "ui/main_thread_call.h"

#include "platform/window_system.h"

bool runOnMainThread(void (*call)(void* context), void* context) {
  return platformWindowSystem().callOnMainThread(call, context);
}

bool isMainThread() { return platformWindowSystem().isMainThread(); }
