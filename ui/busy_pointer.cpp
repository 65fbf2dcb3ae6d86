// The busy pointer over a loaded window, applied by the window system.
#include "ui/busy_pointer.h"

#include "ui/loaded_forms.h"

void showBusyPointer(uint32_t windowId, bool busy) {
  const LoadedForm* form = findLoadedForm(windowId);
  if (form == nullptr) return;
  const WindowSystem& windows = platformWindowSystem();
  if (windows.isAlive(form->window())) windows.setBusyPointer(form->window(), busy);
}
