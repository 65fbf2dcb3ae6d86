// Following the program's runs from a window test on either platform: how many runs have read
// their input and how many have ended, and the cell store's JSON as the last recording pass
// left it (taken on the worker, before the run resets the store).
#pragma once

#include <atomic>
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
// MainWindow's handler bound as the program binds it.
inline const NamedHandler kProgramHandlers[] = {{kStartButtonClickHandler, onStartButtonClick}};

}  // namespace runWatch
