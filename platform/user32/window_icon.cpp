// A 32-bit icon carries its transparency twice: in the colour bitmap's alpha, which the
// system draws with, and in the monochrome mask, which older drawing paths still read.
#include "platform/user32/window_icon.h"

#include <vector>

namespace user32backend {

HICON makeIcon(const uint32_t* argb, int32_t width, int32_t height) {
  if (argb == nullptr || width <= 0 || height <= 0) return nullptr;
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = width;
  header.bV5Height = -height;  // top-down, as the picture's rows come
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;
  auto* pixels = static_cast<uint32_t*>(bits);
  // Mask rows are padded to whole 16-bit words; a set bit is a transparent pixel.
  const int32_t maskStride = (width + 15) / 16 * 2;
  std::vector<uint8_t> maskBits(static_cast<size_t>(maskStride) * height, 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t pixel = argb[static_cast<size_t>(y) * width + x];
      pixels[static_cast<size_t>(y) * width + x] = pixel;
      if ((pixel >> 24) == 0) maskBits[static_cast<size_t>(y) * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = mask != nullptr ? CreateIconIndirect(&info) : nullptr;
  // The icon keeps copies of both bitmaps.
  if (mask != nullptr) DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

}  // namespace user32backend
