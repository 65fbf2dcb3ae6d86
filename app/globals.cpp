// The release of the program's global at the end.
#include "app/globals.h"

#include "table/press.h"

void releaseGlobals() { releaseFieldSeparator(); }
