// The screen's DPI as the program sees it: the window's layout is described in pixels at
// 96 per inch and scaled here to the monitor it is shown on. Private to platform/user32.
#pragma once

#include <windows.h>

#include <cstdint>

namespace user32backend {

inline constexpr int kLayoutDpi = 96;

// Asks the system to leave the scaling to the program, monitor by monitor: the second
// per-monitor form where the system has it, then the first, then the system-wide one.
// Each is looked up by name, so a system that knows none of them still starts the program.
void becomeDpiAware();

// The DPI of the primary monitor, where the window opens; 96 on a system that knows no other.
int primaryDpi();
// The DPI the window is drawn at now.
int windowDpi(HWND window);
// The DPI the system-wide objects (the stock fonts) were made for.
int systemDpi();

// Layout pixels at 96 per inch as pixels at dpi, rounded to the nearest.
int32_t toScreen(int32_t layout, int dpi);

}  // namespace user32backend
