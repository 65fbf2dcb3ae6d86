// The worker-thread command: starts a routine of the program on a new operating-system
// thread and returns at once. The service keeps no record of its threads, never waits for
// one and never stops one; closing a handle leaves its thread running.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/command_call.h"

// A routine a worker thread runs; it receives the parameter given to startThread.
using WorkerRoutine = void (*)(intptr_t parameter);

// A thread handle as the handle variable holds it; 0 is the null handle.
using ThreadHandle = intptr_t;

// The thread library's number for callLibraryCommand; the entry does not use it.
inline constexpr int32_t kThreadLibrary = 1;

namespace threadCommands {
// (routine: SubroutinePointer, parameter: Int = 0, handleOut: address of a ThreadHandle).
// Result: Logical, true when the thread started. Without handleOut the handle is closed at
// once; with it the variable receives the handle (0 on failure) and the caller closes it.
void startThread(CommandResult* result, int32_t count, const CommandArgument* arguments);
}  // namespace threadCommands

// Starts routine(parameter, 0 when omitted) on a new thread. Without handleOut the handle
// is closed at once; with it the caller owns *handleOut. False when no thread was started.
bool startThread(WorkerRoutine routine, std::optional<int32_t> parameter = std::nullopt,
                 ThreadHandle* handleOut = nullptr);

// Waits up to timeoutMs (negative: forever) for the thread; true once it has ended.
bool waitForThread(ThreadHandle handle, int32_t timeoutMs);

// Closes a handle; its thread runs on. 0 is ignored.
void closeThreadHandle(ThreadHandle handle);

// Starts routine(parameter) on a thread a run keeps beside its worker, as startThread starts
// one but with a pointer-sized parameter; the caller waits for the handle and closes it. 0
// when the system refuses a thread or the program is ending.
ThreadHandle startSideThread(WorkerRoutine routine, intptr_t parameter);

// Tells the service the program ends: it stops nothing and waits for nothing, but starts no
// further thread, so nothing new can begin while the program's globals are released.
void endThreadService();
