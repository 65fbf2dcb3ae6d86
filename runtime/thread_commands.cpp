// startThread over the platform's threads, in the command-call form and as a typed call.
#include "runtime/thread_commands.h"

#include <atomic>

#include "platform/threads.h"

namespace {

std::atomic<bool> serviceEnded{false};

PlatformThread* threadOf(ThreadHandle handle) { return reinterpret_cast<PlatformThread*>(handle); }

}  // namespace

namespace threadCommands {

void startThread(CommandResult* result, int32_t count, const CommandArgument* arguments) {
  const auto routine = reinterpret_cast<WorkerRoutine>(arguments[0].asPointer());
  const intptr_t parameter = count >= 2 && !arguments[1].isMissing() ? arguments[1].asInt() : 0;
  PlatformThread* thread = nullptr;
  if (routine != nullptr && !serviceEnded.load()) thread = platformThreads().start(routine, parameter);
  result->low = thread != nullptr ? 1 : 0;
  if (count >= 3 && !arguments[2].isMissing()) {
    *static_cast<ThreadHandle*>(arguments[2].asPointer()) = reinterpret_cast<ThreadHandle>(thread);
  } else {
    platformThreads().close(thread);
  }
}

}  // namespace threadCommands

bool startThread(WorkerRoutine routine, std::optional<int32_t> parameter, ThreadHandle* handleOut) {
  const CommandResult result = callLibraryCommand(
      kThreadLibrary, threadCommands::startThread,
      {CommandArgument::ofPointer(reinterpret_cast<const void*>(routine), TypeCode::SubroutinePointer),
       parameter ? CommandArgument::ofInt(*parameter) : CommandArgument::missing(),
       handleOut != nullptr ? CommandArgument::ofPointer(handleOut, TypeCode::Int) : CommandArgument::missing()});
  return result.asLogical();
}

bool waitForThread(ThreadHandle handle, int32_t timeoutMs) {
  return platformThreads().wait(threadOf(handle), timeoutMs);
}

void closeThreadHandle(ThreadHandle handle) { platformThreads().close(threadOf(handle)); }

ThreadHandle startSideThread(WorkerRoutine routine, intptr_t parameter) {
  if (serviceEnded.load()) return 0;
  return reinterpret_cast<ThreadHandle>(platformThreads().start(routine, parameter));
}

void endThreadService() { serviceEnded = true; }
