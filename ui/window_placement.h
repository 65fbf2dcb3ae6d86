// Where a new window goes on the screen: centred, as the window's description asks, but never
// with its caption out of reach or any of it off the work area, since the window has a fixed
// size and can only be moved by its caption.
#pragma once

#include <cstdint>

struct ScreenArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Centres a width x height window on the screen (left and top unused), then moves it by the
// least amount that puts it all inside the work area. A window larger than the work area (a
// big display scale on a small screen) is made as large as the work area. Returns the
// window's area.
ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, int32_t width, int32_t height);

// A control of a window that placeWindow made smaller by lostWidth x lostHeight: the window's
// content is cut along its right and bottom edges, where the content ends at contentRight and
// contentBottom (the largest right and bottom edges of the window's own controls), and a
// control reaching into the cut ends that much earlier, so that all of it stays in view; the
// boxes there have scroll bars and lose only lines in view. A control keeps at least
// kSmallestSide of either side (or its own, where smaller). Unchanged when nothing was lost.
inline constexpr int32_t kSmallestSide = 24;
ScreenArea fitIntoSmallerWindow(const ScreenArea& control, int32_t contentRight, int32_t contentBottom,
                                int32_t lostWidth, int32_t lostHeight);
