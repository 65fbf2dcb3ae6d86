// Pasting as a person pastes, into the real window: the text on the clipboard, Ctrl+V into the
// input box, "英文逗号" and a click on "字符表格", until the output box holds the table and has
// been painted. Inputs that are hard on an edit box: one line of 10 MB in two cells, one line
// of 100,000 short columns, and many short lines. Reports the paste's time, the whole time,
// and the longest the main thread went without serving a timer set to every 20 ms.
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "bench/bench_window.h"
#include "platform/code_page.h"
#include "ui/control_property.h"

namespace {

using benchWindow::Clock;
using benchWindow::millisecondsSince;
using benchWindow::runsEnded;

// The text for each shape: 0 one 10 MB line of two cells, 1 one line of 100,000 columns,
// otherwise that many lines of five fields.
QString pastedText(int64_t shape) {
  if (shape == 0) return QString(10 * 1024 * 1024, QLatin1Char('x')) + QStringLiteral(",y");
  QString text;
  if (shape == 1) {
    for (int i = 0; i < 100000; ++i) text += i == 0 ? QStringLiteral("ab") : QStringLiteral(",ab");
    return text + QStringLiteral("\n");
  }
  static const char16_t* const words[] = {u"序号", u"file", u"文件", u"path", u"路径", u"12345", u"字段名", u"x"};
  for (int64_t i = 0; i < shape; ++i) {
    for (int field = 0; field < 5; ++field) {
      if (field > 0) text += QLatin1Char(',');
      text += QString::fromUtf16(words[(i * 7 + field * 3) % 8]);
    }
    text += QLatin1Char('\n');
  }
  return text;
}

// Pumps the main thread until done() holds, or `limit` has passed; answers whether it held.
// Every gap between the probe's ticks counts toward the longest stall.
bool pumpUntil(const std::function<bool()>& done, double limitMs, Clock::time_point& lastTick, double& longest) {
  QEventLoop loop;
  QTimer probe;
  const auto start = Clock::now();
  bool held = false;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    longest = std::max(longest, millisecondsSince(lastTick));
    lastTick = Clock::now();
    if (done()) {
      held = true;
      loop.quit();
    } else if (millisecondsSince(start) > limitMs) {
      loop.quit();
    }
  });
  probe.start(20);
  loop.exec();
  return held;
}

void BM_PasteToTable(benchmark::State& state) {
  QWidget* window = benchWindow::mainWindow();
  auto* input = window->findChild<QPlainTextEdit*>(QString::fromUtf16(u"编辑框1"));
  auto* button = window->findChild<QPushButton*>(QString::fromUtf16(u"按钮1"));
  QTest::mouseClick(window->findChild<QRadioButton*>(QString::fromUtf16(u"单选框3")), Qt::LeftButton);
  const QString text = pastedText(state.range(0));
  for (auto _ : state) {
    input->clear();
    QGuiApplication::clipboard()->setText(text);
    input->setFocus();
    double longest = 0;
    const auto start = Clock::now();
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    auto lastTick = start;
    // The box may hold a long line in more blocks than one: the paste has ended when the box
    // takes typing again.
    const bool pasted = pumpUntil(
        [&] { return !input->isReadOnly() && input->document()->characterCount() >= text.size() + 1; }, 120000,
        lastTick, longest);
    const double pasteMs = millisecondsSince(start);
    const int before = runsEnded.load();
    QTest::mouseClick(button, Qt::LeftButton);
    bool tabled = false;
    if (pasted) tabled = pumpUntil([&] { return runsEnded.load() > before; }, 120000, lastTick, longest);
    // The paint the table's write queued.
    QApplication::processEvents();
    longest = std::max(longest, millisecondsSince(lastTick));
    state.counters["paste_ms"] = pasteMs;
    state.counters["table_ms"] = millisecondsSince(start);
    state.counters["stall_ms"] = longest;
    state.counters["finished"] = pasted && tabled ? 1 : 0;
  }
}
BENCHMARK(BM_PasteToTable)
    ->ArgName("shape")
    ->Arg(0)
    ->Arg(1)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(3000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// A table of that many rows written into the output box by a worker, as a run writes it: the
// document is built on the worker and handed to the box on the main thread. Reports the
// worker's time for the write, the longest the main thread went without serving a 20 ms
// timer, and the first paint after it.
void BM_WriteTableToBox(benchmark::State& state) {
  QWidget* window = benchWindow::mainWindow();
  auto* output = window->findChild<QPlainTextEdit*>(QString::fromUtf16(u"编辑框2"));
  const std::string rule = "+-------+------+------+--------+--------+\r\n";
  std::string table = rule;
  for (int64_t row = 0; row < state.range(0); ++row) {
    std::string number = std::to_string(row);
    number.resize(5, ' ');
    table += "| " + number + " | " + platformCodePage().toAnsi(u"序号 | file | 路径   | 字段名") + " |\r\n";
    if (row == 0) table += rule;
  }
  table += rule;
  for (auto _ : state) {
    writeControlProperty(unitId::kMainWindow, unitId::kEditBox2, property::kContent, PropertyInput{"", 0});
    double longest = 0;
    double writeMs = 0;
    std::atomic<bool> written{false};
    const auto start = Clock::now();
    std::thread worker([&] {
      writeControlProperty(unitId::kMainWindow, unitId::kEditBox2, property::kContent, PropertyInput{table.c_str(), 0});
      writeMs = millisecondsSince(start);
      written = true;
    });
    auto lastTick = start;
    pumpUntil([&] { return written.load(); }, 120000, lastTick, longest);
    worker.join();
    output->viewport()->repaint();
    longest = std::max(longest, millisecondsSince(lastTick));
    state.counters["write_ms"] = writeMs;
    state.counters["stall_ms"] = longest;
    state.counters["painted_ms"] = millisecondsSince(start);
  }
}
BENCHMARK(BM_WriteTableToBox)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
