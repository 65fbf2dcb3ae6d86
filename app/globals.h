// The program's one global, the field separator chosen by the last click on "按钮1", and
// the exit routine that releases it.
#pragma once

#include <mutex>

#include "runtime/text_value.h"

// Absent before the first click; then a one-byte tab or space text or the constant ",".
// Written by the click handler and copied by each run as it starts, both under the lock.
extern std::mutex fieldSeparatorLock;
extern TextValue fieldSeparator;

// Releases fieldSeparator; registered once as an exit routine at start-up.
void releaseGlobals();
