// The gate's rules in one place. A call that finds the gate closed is refused before it is
// carried, and one that was carried before the close is refused where it arrives, so nothing
// runs on the main thread once its loop has ended.
#include "platform/shared/main_thread_gate.h"

void MainThreadGate::open() {
  // Recorded first: a thread that sees the gate open sees its main thread too.
  mainThread_ = std::this_thread::get_id();
  open_ = true;
}

void MainThreadGate::close() { open_ = false; }

bool MainThreadGate::isMainThread() const { return std::this_thread::get_id() == mainThread_.load(); }

bool MainThreadGate::call(PlatformCall call, void* context) {
  const CarriedCall carried{call, context};
  if (isMainThread()) return runCarried(carried);
  if (!open_) return false;
  return carrier_(carried);
}

bool MainThreadGate::runCarried(const CarriedCall& carried) {
  if (!open_) return false;
  carried.call(carried.context);
  return true;
}

int32_t MainThreadGate::runLoop(bool (*anyWindowAlive)(), int32_t (*loop)()) {
  int32_t code = 0;
  if (anyWindowAlive()) {
    loopRunning_ = true;
    code = loop();
    loopRunning_ = false;
  }
  close();
  return code;
}

bool MainThreadGate::windowGone(bool (*anyWindowAlive)()) {
  if (!loopRunning_ || anyWindowAlive()) return false;
  close();
  return true;
}

bool MainThreadGate::stopInsideLoop() {
  if (!loopRunning_) return false;
  close();
  return true;
}
