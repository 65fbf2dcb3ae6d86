// The click on "按钮1". The table run is not wired in yet; until then a click does nothing.
#include "app/start_button.h"

void onStartButtonClick() {}
