// The GDI fonts the controls use, made from stored logical font records and kept until the
// window system stops. Private to platform/user32.
#pragma once

#include <windows.h>

#include "platform/window_system.h"

namespace user32backend {

// The font of the record drawn at dpi (the record's heights are for 96 dpi): for an empty
// family the default GUI font, the stock one at the system's DPI; otherwise a font of the
// family (GBK face name), or of the grid font for a fixed-pitch CJK family this system lacks
// or draws off its grid, at the height nearest the scaled one on which the face keeps its
// grid. Made once per record and DPI; null when GDI fails.
HFONT fontFor(const FontSpec& wanted, int dpi);

// Deletes every font made; called once no control uses them.
void releaseFonts();

}  // namespace user32backend
