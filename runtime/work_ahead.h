// Work a run has done ahead on a thread of its own while it does the rest: the one shape of a
// run's concurrency. The thread comes from the thread service, so once the program ends none
// starts; when none starts, each item is made on the taking thread as it is taken, which
// gives the same items in the same order, only later.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "runtime/thread_commands.h"

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

// A routine running on a side thread of the thread service from start until join (or the end
// of the object).
class SideThread {
 public:
  SideThread() = default;
  ~SideThread() { join(); }
  SideThread(const SideThread&) = delete;
  SideThread& operator=(const SideThread&) = delete;

  // Starts routine on a new thread; false, running nothing, when none starts.
  bool start(std::function<void()> routine) {
    routine_ = std::move(routine);
    thread_ = startSideThread([](intptr_t self) { reinterpret_cast<SideThread*>(self)->routine_(); },
                              reinterpret_cast<intptr_t>(this));
    return thread_ != 0;
  }
  // Waits for the routine to end; nothing when none was started. Idempotent.
  void join() {
    if (thread_ == 0) return;
    waitForThread(thread_, -1);
    closeThreadHandle(std::exchange(thread_, 0));
  }

 private:
  std::function<void()> routine_;
  ThreadHandle thread_ = 0;
};

// Items made in order by `make` on a side thread, at most `waiting` ahead of the taker, or on
// the taker itself when no side thread starts. make replaces its argument with the next item
// and answers false when there is none (or none is wanted any more); finish, when given, runs
// once after the last make, on the thread that made the items, so that what make kept there
// (an engine, say) ends where it began. Neither runs again once stop has returned.
template <class Item>
class WorkAhead {
 public:
  WorkAhead(size_t waiting, std::function<bool(Item&)> make, std::function<void()> finish = nullptr)
      : make_(std::move(make)), finish_(std::move(finish)), items_(waiting) {
    apart_ = thread_.start([this] {
      for (Item item; make_(item);) {
        if (!items_.give(std::move(item))) break;
      }
      finishOnce();
      items_.end();
    });
  }
  ~WorkAhead() { stop(); }
  WorkAhead(const WorkAhead&) = delete;
  WorkAhead& operator=(const WorkAhead&) = delete;

  // The next item, in order; false once there are no more or after stop.
  bool take(Item& item) {
    if (stopped_) return false;
    if (apart_) return items_.take(item);
    if (!finished_ && make_(item)) return true;
    finishOnce();
    return false;
  }

  // Wants no more items, the taker: the side thread stops before its next and has ended on
  // return, and take gives nothing more. Idempotent.
  void stop() {
    stopped_ = true;  // items still waiting are dropped with the hand-over
    items_.stop();
    thread_.join();
    finishOnce();
  }

  // Whether the items are made on a side thread.
  bool apart() const { return apart_; }

 private:
  void finishOnce() {
    if (finished_) return;
    finished_ = true;
    if (finish_) finish_();
  }

  std::function<bool(Item&)> make_;
  std::function<void()> finish_;
  HandOver<Item> items_;
  bool finished_ = false;  // the making thread's until it has ended
  bool stopped_ = false;   // the taker's
  bool apart_ = false;
  SideThread thread_;  // last: it starts once everything it uses is in place
};
