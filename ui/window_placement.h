// Where a new window goes on the screen: centred, as the window's description asks, but never
// with its caption out of reach, since the window has a fixed size and can only be moved by it.
#pragma once

#include <cstdint>

struct ScreenArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Centres a width x height window on the screen (left and top unused), then moves it by the
// least amount that puts it all inside the work area, or its top-left corner when it is
// larger than the work area. Returns the window's area.
ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, int32_t width, int32_t height);
