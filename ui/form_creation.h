// Creating a loaded window description as a live window, and destroying it. Main thread only.
#pragma once

#include <cstdint>

// Creates the window of the loaded description windowId centred on the primary screen (moved
// into the work area, and made to fit it where larger, as placeWindow and fitLayout say), with
// its controls in their parents and stacking order, and shows it with the keyboard focus on
// the description's focus unit. No event runs. False when
// the description is not loaded or the window cannot be created.
bool createForm(uint32_t windowId);

// Destroys the window of windowId, as closing it does; the description stays loaded.
void destroyForm(uint32_t windowId);
