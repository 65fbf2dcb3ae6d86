// Start and end services over the platform's object layer and process.
#include "runtime/process_services.h"

#include <cstdlib>

#include "platform/object_access.h"
#include "platform/process.h"

void startProcess() { platformProcess().start(); }

bool initialiseMainThreadOle() { return platformObjects().initializeMainThread() >= 0; }

bool enterProgramFolder() { return platformProcess().enterProgramFolder(); }

void endProcess(int32_t exitCode) {
  platformProcess().exit(exitCode);
  std::_Exit(exitCode);  // not reached: the platform's exit does not return
}
