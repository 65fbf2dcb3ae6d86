// Start-up and the message loop.
#include "app/program.h"

#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"
#include "ui/window_session.h"

namespace {
void onStartButtonClick() {}
const NamedHandler kHandlers[] = {{kStartButtonClickHandler, onStartButtonClick}};
}  // namespace

int runProgram() {
  if (!loadForm(MainWindow, kHandlers) || !createForm(unitId::kMainWindow)) return -1;
  runMessageLoop();
  return 0;
}
