// The thread backend's table as the backend fills it, before any entry is replaced. Private
// to platform/: everything else goes through platformThreads().
#pragma once

#include "platform/threads.h"

const ThreadSystem& threadBackend();
