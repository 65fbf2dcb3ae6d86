// Carries a call from a worker to the main thread and makes the worker wait for it, as a
// sent window message does. The call travels in an event of our own rather than a blocking
// queued connection: Qt's futex locks are invisible to ThreadSanitizer, so the hand-over is
// annotated here and the waiting is done with std::mutex, which it sees.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/qt/main_thread_gate.h"

// Present only in ThreadSanitizer builds; elsewhere the weak references stay null.
extern "C" {
__attribute__((weak)) void __tsan_acquire(void* address);
__attribute__((weak)) void __tsan_release(void* address);
}

namespace qtbackend {
namespace {

// Lives on the waiting thread's stack until `done` is set under `lock`.
struct CarriedCall {
  CarriedCall(PlatformCall function, void* argument) : call(function), context(argument) {}
  PlatformCall call;
  void* context;
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  bool ran = false;
};

const QEvent::Type kCarriedCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CarriedCallEvent : public QEvent {
 public:
  explicit CarriedCallEvent(CarriedCall* call) : QEvent(kCarriedCallEvent), call_(call) {}
  CarriedCall* call() const { return call_; }

 private:
  CarriedCall* call_;
};

std::mutex gateLock;
bool accepting = false;  // guarded by gateLock
QObject* receiver = nullptr;
std::atomic<std::thread::id> mainThread{};

bool gateOpen() {
  std::lock_guard guard(gateLock);
  return accepting;
}

class Receiver : public QObject {
 public:
  bool event(QEvent* event) override {
    // First of all: the event itself was made on the worker, before Qt's invisible locks.
    if (__tsan_acquire != nullptr) __tsan_acquire(event);
    if (event->type() != kCarriedCallEvent) return QObject::event(event);
    CarriedCall* carried = static_cast<CarriedCallEvent*>(event)->call();
    // A call that was queued before the loop ended is refused like a late one.
    const bool run = gateOpen();
    if (run) carried->call(carried->context);
    // Notify under the lock: the waiter may destroy the record as soon as it gets the lock.
    std::lock_guard guard(carried->lock);
    carried->ran = run;
    carried->done = true;
    carried->finished.notify_one();
    return true;
  }
};

}  // namespace

void openGate() {
  std::lock_guard guard(gateLock);
  mainThread = std::this_thread::get_id();
  if (receiver == nullptr) receiver = new Receiver;
  accepting = true;
}

void closeGate() {
  std::lock_guard guard(gateLock);
  accepting = false;
}

void dropGate() {
  closeGate();
  // Deleting the receiver discards the calls still queued; their callers stay blocked.
  delete receiver;
  receiver = nullptr;
}

bool isMainThread() { return std::this_thread::get_id() == mainThread.load(); }

bool callOnMainThread(PlatformCall call, void* context) {
  if (isMainThread()) {
    if (!gateOpen()) return false;
    call(context);
    return true;
  }
  CarriedCall carried(call, context);
  {
    std::lock_guard guard(gateLock);
    if (!accepting) return false;
    auto* event = new CarriedCallEvent(&carried);
    if (__tsan_release != nullptr) __tsan_release(event);
    QCoreApplication::postEvent(receiver, event);
  }
  std::unique_lock guard(carried.lock);
  carried.finished.wait(guard, [&] { return carried.done; });
  return carried.ran;
}

}  // namespace qtbackend
