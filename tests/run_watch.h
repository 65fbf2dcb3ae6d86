// Following the program's runs from a window test on either platform: how many runs have read
// their input and how many have ended, and the cell store's JSON as the last recording pass
// left it (taken on the worker, before the run resets the store).
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
inline std::mutex storeLock;
inline std::string lastCellStore;

inline void countInputRead() { ++inputsRead; }
inline void countRunEnd() { ++runsEnded; }
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

inline const RunObserver kObserver{countInputRead, keepCellStore, countRunEnd};

// Holding a run still: after holdNextRun, the next run to read its input waits there until
// releaseHeldRun, so a test can press again while it goes. recordingsEnded counts the
// recording passes that reach their end (a superseded run's does not).
inline std::mutex holdLock;
inline std::condition_variable holdReleased;
inline bool holdWanted = false;
inline bool heldRunReleased = false;
inline std::atomic<int> recordingsEnded{0};

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
  countInputRead();
  std::unique_lock guard(holdLock);
  if (!holdWanted) return;
  holdWanted = false;
  holdReleased.wait(guard, [] { return heldRunReleased; });
}
inline void countRecording(JsonDocument& cellStore) {
  keepCellStore(cellStore);
  ++recordingsEnded;
}
inline const RunObserver kHoldingObserver{holdIfWanted, countRecording, countRunEnd};
// MainWindow's handler bound as the program binds it.
inline const NamedHandler kProgramHandlers[] = {{kStartButtonClickHandler, onStartButtonClick}};

}  // namespace runWatch
