// The busy pointer over a loaded window, applied by the window system.
#include "ui/busy_pointer.h"

#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

void showBusyPointer(uint32_t windowId, bool busy) {
  const LoadedForm* form = findLoadedForm(windowId);
  if (form == nullptr) return;
  const WindowSystem& windows = platformWindowSystem();
  if (windows.isAlive(form->window())) windows.setBusyPointer(form->window(), busy);
}

namespace {

// Holds alive, counted on the main thread.
int holds = 0;

void countHold(int change) {
  const bool wasBusy = holds > 0;
  holds += change;
  if (wasBusy != (holds > 0)) showBusyPointer(unitId::kMainWindow, holds > 0);
}

}  // namespace

BusyPointerHold::BusyPointerHold() { runOnMainThread([] { countHold(+1); }); }
BusyPointerHold::~BusyPointerHold() { runOnMainThread([] { countHold(-1); }); }
