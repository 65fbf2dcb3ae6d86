// MainWindow as the window benchmarks use it: created once, its button doing the program's
// click with the program's worker, and the runs that worker has ended counted.
#pragma once

#include <QApplication>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdint>

#include "app/start_button.h"
#include "table/generate_table.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"

namespace benchWindow {

inline std::atomic<int> runsEnded{0};
inline void countedWorkerEntry(intptr_t parameter) {
  tableWorkerEntry(parameter);
  ++runsEnded;
}
inline void onCountedStartButtonClick() { startRunOnClick(countedWorkerEntry); }

inline QWidget* mainWindow() {
  static QWidget* window = [] {
    static const NamedHandler handlers[] = {{kStartButtonClickHandler, onCountedStartButtonClick}};
    loadForm(MainWindow, handlers);
    createForm(unitId::kMainWindow);
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowTitle() == QStringLiteral("Cellbrae")) return top;
    }
    return static_cast<QWidget*>(nullptr);
  }();
  return window;
}

using Clock = std::chrono::steady_clock;
inline double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace benchWindow
