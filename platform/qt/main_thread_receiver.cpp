// Carries a call from a worker to the main thread and makes the worker wait for it, as a
// sent window message does. The call travels in an event of our own rather than a blocking
// queued connection: Qt's futex locks are invisible to ThreadSanitizer, so the hand-over is
// annotated here and the waiting is done with std::mutex, which it sees.
#include "platform/qt/main_thread_receiver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <condition_variable>
#include <mutex>

// Present only in ThreadSanitizer builds; elsewhere the weak references stay null.
extern "C" {
__attribute__((weak)) void __tsan_acquire(void* address);
__attribute__((weak)) void __tsan_release(void* address);
}

namespace qtbackend {
namespace {

// Lives on the waiting thread's stack until `done` is set under `lock`.
struct WaitingCall {
  explicit WaitingCall(const CarriedCall& sent) : carried(sent) {}
  const CarriedCall& carried;
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  bool ran = false;
};

const QEvent::Type kCarriedCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CarriedCallEvent : public QEvent {
 public:
  explicit CarriedCallEvent(WaitingCall* call) : QEvent(kCarriedCallEvent), call_(call) {}
  WaitingCall* call() const { return call_; }

 private:
  WaitingCall* call_;
};

class Receiver : public QObject {
 public:
  bool event(QEvent* event) override {
    // First of all: the event itself was made on the worker, before Qt's invisible locks.
    if (__tsan_acquire != nullptr) __tsan_acquire(event);
    if (event->type() != kCarriedCallEvent) return QObject::event(event);
    WaitingCall* waiting = static_cast<CarriedCallEvent*>(event)->call();
    const bool ran = mainThreadGate.runCarried(waiting->carried);
    // Notify under the lock: the waiter may destroy the record as soon as it gets the lock.
    std::lock_guard guard(waiting->lock);
    waiting->ran = ran;
    waiting->done = true;
    waiting->finished.notify_one();
    return true;
  }
};

// A worker may have found the gate open just before it closed: the receiver it posts to
// must not be deleted under it.
std::mutex receiverLock;
Receiver* receiver = nullptr;  // guarded by receiverLock

bool carry(const CarriedCall& carried) {
  WaitingCall waiting(carried);
  {
    std::lock_guard guard(receiverLock);
    if (receiver == nullptr) return false;
    auto* event = new CarriedCallEvent(&waiting);
    if (__tsan_release != nullptr) __tsan_release(event);
    QCoreApplication::postEvent(receiver, event);
  }
  std::unique_lock guard(waiting.lock);
  waiting.finished.wait(guard, [&] { return waiting.done; });
  return waiting.ran;
}

}  // namespace

MainThreadGate mainThreadGate{carry};

void openGate() {
  {
    std::lock_guard guard(receiverLock);
    if (receiver == nullptr) receiver = new Receiver;
  }
  mainThreadGate.open();
}

void dropGate() {
  mainThreadGate.close();
  // Deleting the receiver discards the calls still queued; their callers stay blocked.
  std::lock_guard guard(receiverLock);
  delete receiver;
  receiver = nullptr;
}

}  // namespace qtbackend
