// Centring, then the smallest move into the work area.
#include "ui/window_placement.h"

#include <algorithm>

namespace {

// One axis: the centred start, pulled back from the far edge, then the near edge wins.
int32_t placeOnAxis(int32_t centred, int32_t size, int32_t areaStart, int32_t areaSize) {
  return std::max(std::min(centred, areaStart + areaSize - size), areaStart);
}

}  // namespace

ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, int32_t width, int32_t height) {
  return {placeOnAxis((screen.width - width) / 2, width, workArea.left, workArea.width),
          placeOnAxis((screen.height - height) / 2, height, workArea.top, workArea.height), width, height};
}
