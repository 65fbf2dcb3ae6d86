// Finding the live widgets of a window under test and waiting on the main thread while a
// worker does its part. Texts are UTF-16 literals, since narrow ones are GBK here.
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <thread>

#include "ui/main_thread_call.h"

inline QString qs(const char16_t* text) { return QString::fromUtf16(text); }

inline QWidget* topLevelTitled(QStringView title) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowTitle() == title && widget->isVisible()) return widget;
  }
  return nullptr;
}

template <class Widget>
Widget* childNamed(QWidget* window, QStringView name) {
  return window->findChild<Widget*>(name.toString());
}

// Runs work on a new thread while the main thread runs its event loop, and returns once the
// work is done. The loop is left through the main-thread hand-over itself, so the thread's
// last step is ordered before the caller goes on.
inline void runOnWorkerWhilePumping(const std::function<void()>& work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    runOnMainThread([&loop] { loop.quit(); });
  });
  loop.exec();
  worker.join();
}

// Lets the main thread handle what is queued, deferred deletes included.
inline void pumpEvents() {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
