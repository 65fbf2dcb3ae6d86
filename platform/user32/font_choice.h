// The GDI fonts the controls use, made from stored logical font records and kept until the
// window system stops. Private to platform/user32.
#pragma once

#include <windows.h>

#include "platform/window_system.h"

namespace user32backend {

// The stock default GUI font for an empty family; otherwise a font of the family (GBK face
// name), or of the grid font for a fixed-pitch CJK family this system lacks or draws off its
// grid. Made once per record; null when GDI fails.
HFONT fontFor(const FontSpec& wanted);

// Deletes every font made; called once no control uses them.
void releaseFonts();

}  // namespace user32backend
