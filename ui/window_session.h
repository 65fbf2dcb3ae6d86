// The window system's life in the program: started once on the main thread, its message
// loop, the error box, and its stop at the end. Main thread only.
#pragma once

#include <cstdint>

// Starts the window system; the calling thread becomes the main thread. False when it cannot.
bool startWindowSystem(int& argc, char** argv);

// Runs the message loop until the last window is destroyed; returns its exit code (0).
// From then on a worker's control access is refused.
int32_t runMessageLoop();

// Destroys what windows are left and stops the window system.
void stopWindowSystem();

// Shows a modal error box owned by no window, with the GBK caption and text ("\r\n" breaks),
// and returns when it is closed.
void showErrorBox(const char* caption, const char* text);
