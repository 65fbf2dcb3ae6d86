// The exit routine that releases the program's global, the field separator chosen by the
// last click on "按钮1" (kept beside the runs that copy it, in table/press.h).
#pragma once

// Releases the field separator; registered once as an exit routine at start-up.
void releaseGlobals();
