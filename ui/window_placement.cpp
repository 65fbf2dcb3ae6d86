// Centring, then the smallest move into the work area; shrinking where it cannot hold the window.
#include "ui/window_placement.h"

#include <algorithm>

namespace {

// One axis: the centred start, pulled back from the far edge, then the near edge wins.
int32_t placeOnAxis(int32_t centred, int32_t size, int32_t areaStart, int32_t areaSize) {
  return std::max(std::min(centred, areaStart + areaSize - size), areaStart);
}

// One side of a control: its far edge pulled back to limit, keeping the smallest side.
int32_t fitSide(int32_t start, int32_t size, int32_t limit) {
  if (start + size <= limit) return size;
  return std::max(limit - start, std::min(size, kSmallestSide));
}

}  // namespace

ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, int32_t width, int32_t height) {
  // A work area the system could not tell (empty) leaves the size alone.
  if (workArea.width > 0) width = std::min(width, workArea.width);
  if (workArea.height > 0) height = std::min(height, workArea.height);
  return {placeOnAxis((screen.width - width) / 2, width, workArea.left, workArea.width),
          placeOnAxis((screen.height - height) / 2, height, workArea.top, workArea.height), width, height};
}

ScreenArea fitIntoSmallerWindow(const ScreenArea& control, int32_t contentRight, int32_t contentBottom,
                                int32_t lostWidth, int32_t lostHeight) {
  ScreenArea fitted = control;
  if (lostWidth > 0) fitted.width = fitSide(control.left, control.width, contentRight - lostWidth);
  if (lostHeight > 0) fitted.height = fitSide(control.top, control.height, contentBottom - lostHeight);
  return fitted;
}
