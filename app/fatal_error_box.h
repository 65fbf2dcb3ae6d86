// The fatal-error box: shows the runtime's error text in a modal box captioned "错误" on
// the main thread, then ends the program there with the error's exit code.
#pragma once

// Installs the box as the runtime's fatal-error handler. Needs the window system started.
void installFatalErrorBox();
