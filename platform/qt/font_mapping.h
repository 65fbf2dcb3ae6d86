// Turns a stored logical font into a Qt font that exists here. Private to platform/qt.
#pragma once

#include <QFont>

#include "platform/window_system.h"

namespace qtbackend {

// The default GUI font for an empty family; otherwise the family, or for a CJK fixed-pitch
// family missing here the first stand-in whose CJK advance is exactly two ASCII advances.
QFont mappedFont(const FontSpec& wanted);

}  // namespace qtbackend
