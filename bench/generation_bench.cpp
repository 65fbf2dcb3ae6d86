// The generation run on 10,000 / 100,000 / 1,000,000 generated lines: the recording pass
// alone, the whole run on a worker through the real controls, and a real click on "按钮1"
// until the output box holds the table. Peak memory is the process's resident high-water
// mark during one iteration; the stall is the main thread's longest busy stretch from the
// click to the table's first paint: the click itself, the reads, the write and the paint.
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "app/start_button.h"
#include "bench/bench_window.h"
#include "bench/generated_input.h"
#include "platform/threads.h"
#include "runtime/text_commands.h"
#include "table/press.h"
#include "table/generate_table.h"
#include "table/recording_pass.h"
#include "ui/control_property.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

namespace {

// Resets the resident high-water mark, so the next read is this iteration's peak.
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double peakMemoryMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

using benchWindow::Clock;
using benchWindow::countedWorkerEntry;
using benchWindow::mainWindow;
using benchWindow::millisecondsSince;
using benchWindow::runsEnded;

// Pumps the main thread until `count` runs have ended and what their writes queued (the
// output box's first paint) has been handled. Returns the longest the main thread went
// without serving its 1 ms timer, in milliseconds.
double waitForRuns(int count) {
  QEventLoop loop;
  QTimer poll;
  auto last = Clock::now();
  double longestStall = 0;
  bool ending = false;
  const auto tick = [&] {
    longestStall = std::max(longestStall, millisecondsSince(last));
    last = Clock::now();
  };
  QObject::connect(&poll, &QTimer::timeout, [&] {
    tick();
    if (ending || runsEnded.load() < count) return;
    // Queued behind the paints the write asked for.
    ending = true;
    QTimer::singleShot(0, &loop, [&] {
      tick();
      loop.quit();
    });
  });
  poll.start(1);
  loop.exec();
  return longestStall;
}

// Lets the window do what the paste left it to do (laying out and painting the input box)
// before a run is timed: a person presses once the pasted text is on the screen, and the
// press's run would otherwise wait on the main thread for the paste's own work.
void settleWindow() {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

// Puts the generated lines into the input box, as a paste would, and answers their size once
// the window has settled. The benchmark keeps no copy of its own: the peak is the program's.
size_t pasteGeneratedInput(int64_t lines) {
  const std::string input = generatedInput(lines);
  writeContent(unitId::kMainWindow, unitId::kEditBox1, input.c_str());
  settleWindow();
  return input.size();
}

// The sizes the memory target is set against: the input and the table in the output box,
// both as the GBK bytes the program holds.
void reportSizes(benchmark::State& state, size_t inputBytes, double peak) {
  const TextValue table = readContent(unitId::kMainWindow, unitId::kEditBox2);
  state.counters["peak_MB"] = peak;
  state.counters["input_MB"] = static_cast<double>(inputBytes) / (1024 * 1024);
  state.counters["output_MB"] = static_cast<double>(table.view().size()) / (1024 * 1024);
}

// The recording pass alone: on the calling thread, the system refusing the side thread
// (ahead:0), and with the row records built ahead on a side thread as a run makes it (ahead:1).
void BM_RecordingPass(benchmark::State& state) {
  const std::string input = generatedInput(state.range(0));
  const ArrayValue lines = splitText(input.c_str(), "\r\n");
  const bool ahead = state.range(1) != 0;
  if (!ahead) replaceThreadStart(refusingThreadStart);
  for (auto _ : state) {
    JsonDocument cellStore;
    ColumnMeasure measure;
    recordLines(InputLines(lines), ",", cellStore, measure);
    benchmark::DoNotOptimize(measure.columnCount);
  }
  replaceThreadStart(nullptr);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecordingPass)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"lines", "ahead"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_GenerateTable(benchmark::State& state) {
  mainWindow();
  const size_t inputBytes = pasteGeneratedInput(state.range(0));
  const uint32_t press = pressWithSeparator(TextValue::constant(","));
  double peak = 0;
  for (auto _ : state) {
    resetPeakMemory();
    const int before = runsEnded.load();
    std::thread worker([press] { countedWorkerEntry(press); });
    waitForRuns(before + 1);
    worker.join();
    peak = peakMemoryMegabytes();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  reportSizes(state, inputBytes, peak);
}
BENCHMARK(BM_GenerateTable)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(3000000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_PressToTable(benchmark::State& state) {
  QWidget* window = mainWindow();
  auto* button = window->findChild<QPushButton*>(QString::fromUtf16(u"按钮1"));
  // The generated lines are comma-separated: pick "英文逗号" as a person would.
  QTest::mouseClick(window->findChild<QRadioButton*>(QString::fromUtf16(u"单选框3")), Qt::LeftButton);
  const size_t inputBytes = pasteGeneratedInput(state.range(0));
  double peak = 0;
  double stall = 0;
  for (auto _ : state) {
    resetPeakMemory();
    const int before = runsEnded.load();
    const auto pressed = Clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    const double click = millisecondsSince(pressed);
    stall = std::max(click, waitForRuns(before + 1));
    peak = peakMemoryMegabytes();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  reportSizes(state, inputBytes, peak);
  state.counters["stall_ms"] = stall;
}
BENCHMARK(BM_PressToTable)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(3000000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
