// Where a new window goes on the screen and how its controls fit it: centred, as the window's
// description asks, but never with its caption out of reach, since the window has a fixed
// size and can only be moved by it; and never taller than the work area, where at a large
// display scale the described size would put its lowest controls under the panel for good.
#pragma once

#include <cstdint>
#include <span>

struct ScreenArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Centres a width x height window on the screen (left and top unused), then moves it by the
// least amount that puts it all inside the work area, or its top-left corner when it is
// wider than the work area. A window taller than the work area is made as tall as the work
// area (a window can be moved sideways past the screen's edge, never up past its top), and
// one larger than the system's largest window (largest: left and top unused) as large as
// that. Returns the window's area.
ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, const ScreenArea& largest,
                       int32_t width, int32_t height);

// A control that gives up room when a window is made smaller than described keeps at least
// this much of it: a line of text and its scroll bars, or a short caption.
inline constexpr int32_t kLeastBoxHeight = 60;
inline constexpr int32_t kLeastWidth = 120;

// A control of the window itself (not one inside a frame, which moves with its frame), its
// area in the window's client area.
struct FittedControl {
  ScreenArea area;
  bool givesHeight = false;  // a scrolling box, which may give up rows
  bool givesWidth = false;   // a scrolling box or a button wider than its caption
};

// Fits the controls to a window narrower and shorter than described by the losses. Rows: the
// controls that give height give them up, shared in proportion to their heights, and each
// control moves up by what the controls whose top lies above its own gave. Columns: each
// control that gives width loses the whole loss at its right edge (they end at the window's
// right, one below the other). None goes below the least sizes above.
void fitLayout(std::span<FittedControl> controls, int32_t widthLoss, int32_t heightLoss);
