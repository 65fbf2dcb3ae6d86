// The window's icon made from an ARGB picture. Private to platform/user32.
#pragma once

#include <windows.h>

#include <cstdint>

namespace user32backend {

// An icon of width*height pixels from 0xAARRGGBB values row by row, with its alpha as the
// transparency; the caller destroys it with DestroyIcon. Null when GDI refuses.
HICON makeIcon(const uint32_t* argb, int32_t width, int32_t height);

}  // namespace user32backend
