// Following the program's runs from a window test on either platform: the click starts a
// worker of the tests' own, which takes the program's run step by step and counts how many
// runs have read their input and how many have ended, and keeps the cell store's JSON as the
// last recording pass left it (taken on the worker, before the run resets the store).
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "app/start_button.h"
#include "table/generate_table.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"

namespace runWatch {

inline std::atomic<int> inputsRead{0};
inline std::atomic<int> runsEnded{0};
// The recording passes that reach their end (a superseded run's does not).
inline std::atomic<int> recordingsEnded{0};
inline std::mutex storeLock;
inline std::string lastCellStore;

inline void keepCellStore(JsonDocument& cellStore) {
  const TextValue json = cellStore.toJson();
  std::lock_guard guard(storeLock);
  lastCellStore = json.c_str();
}

inline std::string cellStore() {
  std::lock_guard guard(storeLock);
  return lastCellStore;
}
inline void forgetCellStore() {
  std::lock_guard guard(storeLock);
  lastCellStore.clear();
}

// Holding a run still: after holdNextRun, the next run to read its input waits there until
// releaseHeldRun, so a test can press again while it goes.
inline std::mutex holdLock;
inline std::condition_variable holdReleased;
inline bool holdWanted = false;
inline bool heldRunReleased = false;

inline void holdNextRun() {
  std::lock_guard guard(holdLock);
  holdWanted = true;
  heldRunReleased = false;
}
inline void releaseHeldRun() {
  std::lock_guard guard(holdLock);
  heldRunReleased = true;
  holdReleased.notify_all();
}
inline void holdIfWanted() {
  std::unique_lock guard(holdLock);
  if (!holdWanted) return;
  holdWanted = false;
  holdReleased.wait(guard, [] { return heldRunReleased; });
}

// The program's run as generateTable takes it, watched between its steps.
inline void watchedWorkerEntry(intptr_t parameter) {
  {
    TableRun run(static_cast<uint32_t>(parameter));
    const bool read = run.readInput();
    ++inputsRead;
    holdIfWanted();
    if (read && run.recordInput()) {
      keepCellStore(run.cellStore());
      ++recordingsEnded;
      run.writeTable();
    }
  }
  ++runsEnded;
}

inline void onWatchedStartButtonClick() { startRunOnClick(watchedWorkerEntry); }
// MainWindow's handler bound as the program binds it, with the watched worker in place of
// the program's.
inline const NamedHandler kWatchedHandlers[] = {{kStartButtonClickHandler, onWatchedStartButtonClick}};

}  // namespace runWatch
