// The window's own icon as the image files a desktop asks for: PNG for the Linux icon theme,
// ICO for the Windows program's icon. Every size is a whole multiple of the picture, each
// pixel repeated, so the larger images stay as sharp as the window's 16-pixel one.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ui/form_description.h"

using IconBytes = std::vector<uint8_t>;

// The icon MainWindow is described with; null when its record has none.
const IconPicture* windowIcon();

// The picture scaled by `scale` as an 8-bit palette PNG, transparency in its tRNS chunk.
IconBytes iconPng(const IconPicture& picture, int32_t scale);

// An ICO with one image per size (each a multiple of the picture's width): 32-bit bitmaps
// with their mask below 256 pixels, a PNG at 256, the way the system reads large icons.
IconBytes iconIco(const IconPicture& picture, std::span<const int32_t> sizes);
