// Work split between a run's worker and a thread of its own: the thread, and what one side
// hands the other in order. A run uses them twice: the row records are built on a side thread
// for the worker to store, and the table's pieces are laid out for the output box on one
// while the worker renders the next.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/threads.h"

// Items handed from one thread to another in order, at most `capacity` waiting at a time.
template <class Item>
class HandOver {
 public:
  explicit HandOver(size_t capacity) : capacity_(capacity) {}

  // Giving side: passes item on, waiting while `capacity` wait; false (item dropped) once the
  // taking side has stopped.
  bool give(Item item) {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] { return waiting_.size() < capacity_ || stopped_; });
    if (stopped_) return false;
    waiting_.push_back(std::move(item));
    changed_.notify_all();
    return true;
  }
  // Giving side: nothing more will come.
  void end() {
    std::lock_guard guard(lock_);
    ended_ = true;
    changed_.notify_all();
  }

  // Taking side: the next item, waiting for it; false once the giving side has ended and
  // every item has been taken.
  bool take(Item& item) {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] { return !waiting_.empty() || ended_; });
    if (waiting_.empty()) return false;
    item = std::move(waiting_.front());
    waiting_.pop_front();
    changed_.notify_all();
    return true;
  }
  // Taking side: takes nothing more; a give waiting for room, and every later one, fails.
  void stop() {
    std::lock_guard guard(lock_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  const size_t capacity_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Item> waiting_;
  bool ended_ = false;
  bool stopped_ = false;
};

// A routine running on a thread of its own from start until join (or the end of the object).
class SideThread {
 public:
  SideThread() = default;
  ~SideThread() { join(); }
  SideThread(const SideThread&) = delete;
  SideThread& operator=(const SideThread&) = delete;

  // Starts routine on a new thread; false, running nothing, when the system refuses one.
  bool start(std::function<void()> routine) {
    routine_ = std::move(routine);
    thread_ = platformThreads().start([](intptr_t self) { reinterpret_cast<SideThread*>(self)->routine_(); },
                                      reinterpret_cast<intptr_t>(this));
    return thread_ != nullptr;
  }
  // Waits for the routine to end; nothing when none was started. Idempotent.
  void join() {
    if (thread_ == nullptr) return;
    platformThreads().wait(thread_, -1);
    platformThreads().close(std::exchange(thread_, nullptr));
  }

 private:
  std::function<void()> routine_;
  PlatformThread* thread_ = nullptr;
};
