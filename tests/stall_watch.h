// Telling slow work from stopped work, for the tests' waits: a wait gives up only once a whole
// stretch has gone by in which the work it waits for used next to no processor time. A slow
// build or a busy machine stretches work out; only a hang or a deadlock stops it.
#pragma once

#include <cstdint>

// Seconds on a clock that only goes forward, from any fixed start.
double wallSeconds();
// Processor seconds this process has used, all its threads together.
double ownProcessorSeconds();
// Processor seconds the calling thread has used.
double threadProcessorSeconds();
// Processor seconds a child process has used so far: its pid on Linux, its handle on Windows.
// 0 once it can no longer be read.
double childProcessorSeconds(intptr_t child);

// Readings of one piece of work, taken while waiting for it.
class StallWatch {
 public:
  // How long the work must stand still before a wait gives up: the longest a thread that
  // can run waits for a processor is well under a second even on two loaded cores, and the
  // slowest configuration (ThreadSanitizer under load) never idles for a stretch like this.
  static constexpr double kStretchSeconds = 30;
  // Work that uses less of one processor than this over a stretch counts as standing still:
  // far below what a runnable thread gets on a loaded machine.
  static constexpr double kLeastShare = 0.05;

  // Takes a reading: the wall clock and the processor seconds the work has used so far. True
  // once a whole stretch has passed with less work done than kLeastShare of it.
  bool stalled(double wall, double work) {
    if (!started_ || work - workAtStart_ >= kLeastShare * kStretchSeconds) {
      started_ = true;
      wallAtStart_ = wall;
      workAtStart_ = work;
      return false;
    }
    return wall - wallAtStart_ >= kStretchSeconds;
  }
  // The same for the work of this process, read from the thread that waits and polls: its
  // own time counts only across a long gap between two readings (it was held by work, such as
  // a window's layout, not idling between polls), so polling never passes for work.
  bool ownProcessStalled() {
    const double wall = wallSeconds();
    const double process = ownProcessorSeconds();
    const double thread = threadProcessorSeconds();
    if (polled_) {
      const bool heldByWork = wall - lastPoll_ >= kLongGapSeconds;
      ownWork_ += (process - lastProcess_) - (heldByWork ? 0 : thread - lastThread_);
    }
    polled_ = true;
    lastPoll_ = wall;
    lastProcess_ = process;
    lastThread_ = thread;
    return stalled(wall, ownWork_);
  }
  // The same for the work of a child process (see childProcessorSeconds).
  bool childStalled(intptr_t child) { return stalled(wallSeconds(), childProcessorSeconds(child)); }

 private:
  bool started_ = false;
  double wallAtStart_ = 0;
  double workAtStart_ = 0;

  static constexpr double kLongGapSeconds = 0.1;
  bool polled_ = false;
  double lastPoll_ = 0;
  double lastProcess_ = 0;
  double lastThread_ = 0;
  double ownWork_ = 0;
};
