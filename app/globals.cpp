// Storage of the program's global and its release at the end.
#include "app/globals.h"

std::mutex fieldSeparatorLock;
TextValue fieldSeparator;

void releaseGlobals() {
  std::lock_guard guard(fieldSeparatorLock);
  fieldSeparator.reset();
}
