// The release of the program's global at the end.
#include "app/globals.h"

#include "table/field_separator.h"

void releaseGlobals() { releaseFieldSeparator(); }
