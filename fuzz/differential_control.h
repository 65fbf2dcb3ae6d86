// A stand-in for the script control that runs every text the program sends on an engine pair:
// registered under the control's ProgID, it lets the program's own code (the JSON document,
// the recording pass) build and send the texts, and answers with the control's own results.
#pragma once

#include "platform/object_access.h"

// The class table; each instance is an EnginePair, found among EnginePair::live().
const ObjectClass& differentialControlClass();

// Registers the stand-in under the script control's ProgID for the life of the scope, then
// gives the ProgID back to the control itself.
class DifferentialControlScope {
 public:
  DifferentialControlScope();
  ~DifferentialControlScope();
  DifferentialControlScope(const DifferentialControlScope&) = delete;
  DifferentialControlScope& operator=(const DifferentialControlScope&) = delete;
};
