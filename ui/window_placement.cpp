// Centring, then the smallest move into the work area. A window that cannot be moved to show
// all of itself is made smaller instead, its scrolling boxes (and in width the button) taking
// the loss: the boxes' text stays reachable with their scroll bars, and every other control
// keeps its size.
#include "ui/window_placement.h"

#include <algorithm>
#include <vector>

namespace {

// One axis: the centred start, pulled back from the far edge, then the near edge wins.
int32_t placeOnAxis(int32_t centred, int32_t size, int32_t areaStart, int32_t areaSize) {
  return std::max(std::min(centred, areaStart + areaSize - size), areaStart);
}

}  // namespace

ScreenArea placeWindow(const ScreenArea& screen, const ScreenArea& workArea, const ScreenArea& largest,
                       int32_t width, int32_t height) {
  const int32_t fittedWidth = largest.width > 0 ? std::min(width, largest.width) : width;
  int32_t fittedHeight = workArea.height > 0 ? std::min(height, workArea.height) : height;
  if (largest.height > 0) fittedHeight = std::min(fittedHeight, largest.height);
  return {placeOnAxis((screen.width - fittedWidth) / 2, fittedWidth, workArea.left, workArea.width),
          placeOnAxis((screen.height - fittedHeight) / 2, fittedHeight, workArea.top, workArea.height), fittedWidth,
          fittedHeight};
}

void fitLayout(std::span<FittedControl> controls, int32_t widthLoss, int32_t heightLoss) {
  for (FittedControl& control : controls) {
    if (control.givesWidth && widthLoss > 0) {
      control.area.width -= std::clamp(widthLoss, 0, std::max(control.area.width - kLeastWidth, 0));
    }
  }
  if (heightLoss <= 0) return;
  int32_t total = 0;
  size_t last = controls.size();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (!controls[i].givesHeight) continue;
    total += controls[i].area.height;
    last = i;
  }
  if (total <= 0) return;
  std::vector<int32_t> given(controls.size(), 0);
  int32_t left = heightLoss;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (!controls[i].givesHeight) continue;
    const int32_t height = controls[i].area.height;
    const int32_t share = i == last ? left : static_cast<int32_t>(int64_t{heightLoss} * height / total);
    given[i] = std::clamp(std::min(share, left), 0, std::max(height - kLeastBoxHeight, 0));
    left -= given[i];
  }
  std::vector<int32_t> moves(controls.size(), 0);
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t box = 0; box < controls.size(); ++box) {
      if (controls[box].area.top < controls[i].area.top) moves[i] += given[box];
    }
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    controls[i].area.top -= moves[i];
    controls[i].area.height -= given[i];
  }
}
