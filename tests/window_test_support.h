// Finding the live widgets of a window under test and waiting on the main thread while a
// worker does its part. Texts are UTF-16 literals, since narrow ones are GBK here.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <thread>

#include "platform/code_page.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

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

// Loads MainWindow with `handlers`, creates and shows it, and returns its top-level widget;
// null when it cannot. closeMainWindowForm() destroys it again.
inline QWidget* openMainWindow(std::span<const NamedHandler> handlers) {
  if (!loadForm(MainWindow, handlers) || !createForm(unitId::kMainWindow)) return nullptr;
  return topLevelTitled(u"Cellbrae");
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

inline void closeMainWindowForm() {
  destroyForm(unitId::kMainWindow);
  pumpEvents();
}

// The GBK bytes of a UTF-16 text: Qt's headers do not compile with GBK literals, so window
// tests keep UTF-8 literals and make the program's GBK texts from UTF-16.
inline std::string gbk(std::u16string_view text) { return platformCodePage().toAnsi(text); }
inline std::string gbk(const QString& text) { return gbk(std::u16string_view(text.toStdU16String())); }

// Watches for an error box on the main thread; when one shows, writes its caption, icon and
// text (GBK, "\r\n" line breaks) to stderr, where a death test can match them, and presses OK.
inline void answerErrorBoxWhenShown() {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      timer->stop();
      QString text = box->text();
      text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
      const std::string report = "box caption: " + gbk(box->windowTitle()) + "\nbox icon: " +
                                 (box->icon() == QMessageBox::Critical ? "error" : "other") +
                                 "\nbox text: " + gbk(text) + "\nbox end\n";
      std::fwrite(report.data(), 1, report.size(), stderr);
      std::fflush(stderr);
      box->button(QMessageBox::Ok)->click();
      return;
    }
  });
  timer->start(5);
}
