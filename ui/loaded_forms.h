// The window descriptions loaded at start-up, and the controls created from them, by id.
// A description stays loaded until it is dropped at the end of the program; from then on
// its controls can no longer be found. Main thread only.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/window_system.h"
#include "ui/form_description.h"

struct LoadedForm {
  FormDescription description;  // a copy; the records it lists must outlive the loading
  std::vector<EventHandler> clickHandlers;  // per unit; null where none is bound
  std::vector<PlatformControl*> controls;   // per unit; null until created
  std::vector<uint32_t> iconPixels;         // the window icon as ARGB, kept while it is shown

  PlatformControl* window() const { return controls.empty() ? nullptr : controls.front(); }
  // The unit's position in the description, or -1.
  int32_t indexOf(uint32_t unitId) const;
};

// Checks the description and binds its event handlers by name. False, loading nothing, when
// a unit's parent or children do not match, an id repeats, a handler is not supplied, or the
// focus or a Ctrl+Enter click names no control of the right type.
// The records must outlive the loading; loading an already loaded window does nothing.
bool loadForm(const FormDescription& description, std::span<const NamedHandler> handlers);

// Forgets the description of windowId; its window, if still open, is left alone.
void dropForm(uint32_t windowId);

// The loaded form of windowId, or null.
LoadedForm* findLoadedForm(uint32_t windowId);
