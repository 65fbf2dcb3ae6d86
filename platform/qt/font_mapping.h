// Turns a stored logical font into a Qt font that exists here. Private to platform/qt.
#pragma once

#include <QFont>

#include "platform/window_system.h"

namespace qtbackend {

// The default GUI font for an empty family; otherwise the family, or the grid font for a
// fixed-pitch CJK family that is missing here or does not draw every character on its grid.
QFont mappedFont(const FontSpec& wanted);

}  // namespace qtbackend
