// The handler of the click on "按钮1".
#pragma once

// Called on the main thread for each click; returns without waiting for the run it starts.
void onStartButtonClick();
