// A copy from one of our edit boxes offers HTML beside the text the box puts on the clipboard
// (platform/shared/preformatted_html.h). The box's own procedure makes the copy, however the
// person asks for it (keys, its context menu); a hidden window listening to the clipboard
// adds the HTML once the box has closed it. Private to platform/user32.
#pragma once

#include <windows.h>

namespace user32backend {

// Starts listening on the main thread; isOurEditBox tells the boxes whose copies get HTML.
// False when the listening window cannot be made.
bool watchCopies(HINSTANCE instance, bool (*isOurEditBox)(HWND window));
// Stops listening and destroys the window. Main thread only.
void stopWatchingCopies();

}  // namespace user32backend
