// The main-thread gate both window backends keep: which thread is the main thread, whether
// calls are still taken, that a refused call is never run, and that none is taken once the
// loop has ended. A backend only carries a call to its loop and wakes the caller once the gate
// has run or refused it there, and tells the gate of its loop and its windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/window_system.h"

// A call on its way from another thread to the main thread; the sender keeps it until it is
// woken.
struct CarriedCall {
  PlatformCall call;
  void* context;
};

class MainThreadGate {
 public:
  // Hands carried to the main thread's loop, which passes it to runCarried, and returns what
  // that answered once it has; false when it cannot be handed over. Called on the sending
  // thread; the gate holds no lock meanwhile.
  using Carrier = bool (*)(const CarriedCall& carried);

  explicit MainThreadGate(Carrier carrier) : carrier_(carrier) {}
  MainThreadGate(const MainThreadGate&) = delete;
  MainThreadGate& operator=(const MainThreadGate&) = delete;

  // Makes the calling thread the main thread and starts taking calls; a closed gate reopens.
  void open();
  // Refuses every later call, and every carried call not yet run. Idempotent.
  void close();
  // True on the thread that last opened the gate, closed or not.
  bool isMainThread() const;

  // Runs call(context) on the main thread and returns once it has run: at once on the main
  // thread, carried there from any other. False, without running it, while the gate is closed.
  bool call(PlatformCall call, void* context);
  // The loop's side of a carried call, on the main thread: runs it unless the gate has closed
  // since it was sent. True when it ran.
  bool runCarried(const CarriedCall& carried);

  // The main thread's message loop, on the main thread. Runs loop() and closes the gate when it
  // returns, whatever ended it; with no window to wait for, closes the gate at once and answers
  // 0 without running it.
  int32_t runLoop(bool (*anyWindowAlive)(), int32_t (*loop)());
  // A window has gone. When that leaves the running loop no window, closes the gate and answers
  // true: the backend ends its loop.
  bool windowGone(bool (*anyWindowAlive)());
  // The backend's stop, asked first. Inside the running loop (a fatal error in a click or a
  // carried call) nothing may be destroyed under the dispatch still going: closes the gate and
  // answers true, and the backend leaves the rest to the process's end, which comes next.
  bool stopInsideLoop();

 private:
  const Carrier carrier_;
  bool loopRunning_ = false;  // the main thread's alone
  std::atomic<bool> open_{false};
  std::atomic<std::thread::id> mainThread_{};
};
