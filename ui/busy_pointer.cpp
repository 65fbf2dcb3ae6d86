// The busy pointer over a loaded window, applied by the window system.
#include "ui/busy_pointer.h"

#include <map>

#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"

namespace {

// Holds alive per window, counted on the main thread only.
std::map<uint32_t, int> holdsAlive;

void countHold(uint32_t windowId, int change) {
  int& holds = holdsAlive[windowId];
  const bool wasBusy = holds > 0;
  holds += change;
  if (wasBusy != (holds > 0)) showBusyPointer(windowId, holds > 0);
}

}  // namespace

void showBusyPointer(uint32_t windowId, bool busy) {
  const LoadedForm* form = findLoadedForm(windowId);
  if (form == nullptr) return;
  const WindowSystem& windows = platformWindowSystem();
  if (windows.isAlive(form->window())) windows.setBusyPointer(form->window(), busy);
}

// Once the loop has ended both calls are refused, and nothing is left to point at.
BusyPointerHold::BusyPointerHold(uint32_t windowId) : windowId_(windowId) {
  runOnMainThread([this] { countHold(windowId_, +1); });
}

BusyPointerHold::~BusyPointerHold() {
  runOnMainThread([this] { countHold(windowId_, -1); });
}
