// Thin passage from the program's start-up and end to the window system.
#include "ui/window_session.h"

#include "platform/window_system.h"
#include "ui/wide_text.h"

bool startWindowSystem(int& argc, char** argv) { return platformWindowSystem().start(&argc, argv); }

int32_t runMessageLoop() { return platformWindowSystem().runLoop(); }

void stopWindowSystem() { platformWindowSystem().stop(); }

void showErrorBox(const char* caption, const char* text) {
  platformWindowSystem().showErrorBox(toWide(caption), toWide(text));
}
