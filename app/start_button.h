// The handler of the click on "按钮1".
#pragma once

#include "runtime/thread_commands.h"

// Called on the main thread for each click; returns without waiting for the run it starts.
void onStartButtonClick();

// What the click does, with its run started on `worker` (tableWorkerEntry for the program, a
// test's own worker to follow the run): takes the radio choice as the field separator, counts
// the press, empties the output box and starts worker(press) without waiting for it. When
// the system refuses the thread, ends the program with the error box ("创建工作线程失败!").
void startRunOnClick(WorkerRoutine worker);
