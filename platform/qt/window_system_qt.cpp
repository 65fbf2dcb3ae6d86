// The window system over Qt 6 Widgets: each PlatformControl wraps one widget, the loop is
// QApplication's, and the backend only applies what the layers above decided (geometry,
// stacking order, texts), filling in what Linux lacks: frame margins, fonts, line breaks.
#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTranslator>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/qt/edit_box.h"
#include "platform/qt/font_mapping.h"
#include "platform/qt/main_thread_receiver.h"
#include "platform/window_system.h"

struct PlatformControl {
  QPointer<QWidget> widget;
  bool topLevel = false;
  bool editBox = false;
  PlatformCall clickHandler = nullptr;
  void* clickContext = nullptr;
  QPointer<QObject> ctrlEnterClick;  // an edit box: the filter that takes Ctrl+Enter, if any
};

namespace {

// Tab treats a frame's radio boxes as one stop, at the checked one, as Windows does: of the
// boxes the description makes Tab stops, only the checked one takes Tab (all of them while
// none is checked). Qt would stop at whichever box it meets first.
constexpr char kTabStop[] = "cellbraeTabStop";

void applyRadioStops(QWidget* frame) {
  const auto boxes = frame->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  const bool anyChecked = std::any_of(boxes.begin(), boxes.end(), [](QRadioButton* box) { return box->isChecked(); });
  for (QRadioButton* box : boxes) {
    const bool stop = box->property(kTabStop).toBool() && (box->isChecked() || !anyChecked);
    const int policy = box->focusPolicy();
    box->setFocusPolicy(static_cast<Qt::FocusPolicy>(stop ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
  }
}

using qtbackend::mainThreadGate;

bool isEnterKey(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

// The keypad's Enter comes with the keypad modifier; it is the same key to a person.
Qt::KeyboardModifiers modifiersOf(const QKeyEvent* key) { return key->modifiers() & ~Qt::KeypadModifier; }

// A push button as a person drives one from the keyboard: Enter presses it, as Space does,
// once per press however long the key is held; and its focus frame shows whenever it has
// the focus, however the focus came (Qt's styles draw it only after a Tab).
class PushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!isEnterKey(event) || modifiersOf(event) != Qt::NoModifier) {
      QPushButton::keyPressEvent(event);
      return;
    }
    if (!event->isAutoRepeat()) click();
  }

  void initStyleOption(QStyleOptionButton* option) const override {
    QPushButton::initStyleOption(option);
    if (hasFocus()) option->state |= QStyle::State_KeyboardFocusChange;
  }
};

// Ctrl+Enter in an edit box clicks a button; the box keeps the focus and takes no line break.
class CtrlEnterClick : public QObject {
 public:
  CtrlEnterClick(QWidget* editBox, QAbstractButton* button) : QObject(editBox), button_(button) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (!isEnterKey(key) || modifiersOf(key) != Qt::ControlModifier) return QObject::eventFilter(watched, event);
    if (!key->isAutoRepeat() && button_ != nullptr) button_->click();
    return true;
  }

 private:
  QPointer<QAbstractButton> button_;
};

bool isMainThread() { return mainThreadGate.isMainThread(); }
bool callOnMainThread(PlatformCall call, void* context) { return mainThreadGate.call(call, context); }

struct Backend {
  QApplication* application = nullptr;
  std::vector<std::unique_ptr<PlatformControl>> controls;
  std::unique_ptr<QPixmap> errorIcon;  // keeps the error box's icon in the toolkit's caches
};
Backend backend;

QString toQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string toU16(const QString& text) { return text.toStdU16String(); }

QWidget* widgetOf(PlatformControl* control) { return control != nullptr ? control->widget.data() : nullptr; }

bool anyWindowAlive() {
  for (const auto& control : backend.controls) {
    if (control->topLevel && control->widget != nullptr) return true;
  }
  return false;
}

// Keeps the outer size fixed once the window manager's frame is known. Qt sizes the client
// area and places the frame, and the frame margins arrive only some time after show(), so
// the client is shrunk by them and the frame put back where it was meant to go.
class FrameKeeper : public QObject {
 public:
  FrameKeeper(QWidget* window, QRect outer) : QObject(window), window_(window), outer_(outer) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Expose:
      case QEvent::WindowStateChange:
      case QEvent::PlatformSurface:
        fit();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void fit() {
    const QSize margins = window_->frameGeometry().size() - window_->size();
    const QSize client = outer_.size() - margins;
    if (client == window_->size() || client.isEmpty()) return;
    window_->setFixedSize(client);
    window_->move(outer_.topLeft());
  }

  QWidget* window_;
  QRect outer_;
};

PlatformControl* keep(QWidget* widget, bool topLevel) {
  backend.controls.push_back(std::make_unique<PlatformControl>());
  PlatformControl* control = backend.controls.back().get();
  control->widget = widget;
  control->topLevel = topLevel;
  return control;
}

bool start(int* argc, char** argv) {
  if (backend.application == nullptr) {
    backend.application = new QApplication(*argc, argv);
    // The loop ends when a window of ours is destroyed, not when the last one is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own texts (an edit box's context menu) in the person's language, as the system's
    // own controls show them on Windows; English where Qt has no translation.
    auto* translator = new QTranslator(backend.application);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(translator);
    }
    // The error box's icon, looked up in the icon theme and drawn once now: the box that says
    // memory was refused must not need more for it then, and the toolkit's lookup crashed
    // where it could not get it. The box finds both in the toolkit's caches.
    const int iconSize = QApplication::style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    backend.errorIcon = std::make_unique<QPixmap>(
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(iconSize, iconSize));
  }
  qtbackend::openGate();
  return true;
}

void stop() {
  if (mainThreadGate.stopInsideLoop()) return;
  qtbackend::dropGate();
  for (const auto& control : backend.controls) {
    if (control->topLevel) delete control->widget.data();
  }
  backend.controls.clear();
  backend.errorIcon.reset();
  delete backend.application;
  backend.application = nullptr;
}

void screenSize(int32_t* width, int32_t* height) {
  const QSize size = QGuiApplication::primaryScreen()->size();
  *width = size.width();
  *height = size.height();
}

void workArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  *left = area.left();
  *top = area.top();
  *width = area.width();
  *height = area.height();
}

// A window manager lets a window reach past the screen's edges, to be moved back by its caption.
void largestWindow(int32_t* width, int32_t* height) {
  *width = INT32_MAX;
  *height = INT32_MAX;
}

PlatformControl* createWindow(const WindowSpec& wanted) {
  auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                          Qt::WindowCloseButtonHint);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(toQString(wanted.caption));
  if (wanted.icon != nullptr) {
    const QImage image(reinterpret_cast<const uchar*>(wanted.icon), wanted.iconWidth, wanted.iconHeight,
                       wanted.iconWidth * 4, QImage::Format_ARGB32);
    window->setWindowIcon(QIcon(QPixmap::fromImage(image.copy())));
  }
  const QRect outer(wanted.left, wanted.top, wanted.width, wanted.height);
  window->setFixedSize(outer.size());
  window->move(outer.topLeft());
  window->installEventFilter(new FrameKeeper(window, outer));
  PlatformControl* control = keep(window, true);
  QObject::connect(window, &QObject::destroyed, [control] {
    // A widget says it is destroyed before its QPointers are cleared.
    control->widget.clear();
    if (mainThreadGate.windowGone(anyWindowAlive)) QCoreApplication::exit(0);
  });
  return control;
}

QWidget* makeWidget(const ControlSpec& wanted, QWidget* parent, PlatformControl** out) {
  const QString text = toQString(wanted.text);
  QWidget* widget = nullptr;
  switch (wanted.kind) {
    case ControlKind::MultiLineEdit: {
      auto* edit = new qtbackend::EditBox(parent);
      edit->setLineWrapMode(QPlainTextEdit::NoWrap);
      edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      widget = edit;
      break;
    }
    case ControlKind::GroupFrame:
      widget = new QGroupBox(text, parent);
      break;
    case ControlKind::PushButton: {
      auto* button = new PushButton(text, parent);
      button->setAutoDefault(false);
      button->setDefault(false);
      widget = button;
      break;
    }
    case ControlKind::AutoRadio:
      auto* radio = new QRadioButton(text, parent);
      radio->setProperty(kTabStop, (radio->focusPolicy() & Qt::TabFocus) != 0);
      QObject::connect(radio, &QRadioButton::toggled, radio, [radio] { applyRadioStops(radio->parentWidget()); });
      widget = radio;
      break;
  }
  *out = keep(widget, false);
  (*out)->editBox = wanted.kind == ControlKind::MultiLineEdit;
  return widget;
}

PlatformControl* createControl(PlatformControl* parent, const ControlSpec& wanted) {
  PlatformControl* control = nullptr;
  QWidget* widget = makeWidget(wanted, widgetOf(parent), &control);
  widget->setObjectName(toQString(wanted.name));
  widget->setGeometry(wanted.left, wanted.top, wanted.width, wanted.height);
  widget->hide();
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QObject::connect(button, &QPushButton::clicked, [control] {
      if (control->clickHandler != nullptr) control->clickHandler(control->clickContext);
    });
  }
  return control;
}

void setParent(PlatformControl* control, PlatformControl* parent) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr || widgetOf(parent) == nullptr) return;
  const QRect geometry = widget->geometry();
  const bool hidden = widget->isHidden();
  QWidget* before = widget->parentWidget();
  widget->setParent(widgetOf(parent));
  widget->setGeometry(geometry);
  widget->setVisible(!hidden);
  if (qobject_cast<QRadioButton*>(widget) != nullptr) {
    if (before != nullptr) applyRadioStops(before);
    applyRadioStops(widget->parentWidget());
  }
}

void destroyWindow(PlatformControl* window) { delete widgetOf(window); }

bool isAlive(PlatformControl* control) { return widgetOf(control) != nullptr; }

void setFont(PlatformControl* control, const FontSpec& font) {
  if (QWidget* widget = widgetOf(control)) widget->setFont(qtbackend::mappedFont(font));
}

void setText(PlatformControl* control, std::u16string_view text) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr || control->editBox) return;
  const QString value = toQString(text);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(value);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(value);
  } else {
    widget->setWindowTitle(value);
  }
}

std::u16string text(PlatformControl* control) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr || control->editBox) return {};
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return toU16(button->text());
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return toU16(group->title());
  return toU16(widget->windowTitle());
}

qtbackend::EditBox* editBoxOf(PlatformControl* control) {
  return control != nullptr && control->editBox ? static_cast<qtbackend::EditBox*>(control->widget.data()) : nullptr;
}

PlatformText* newEditText(PlatformControl* editBox) {
  if (const qtbackend::EditBox* edit = editBoxOf(editBox)) return edit->newText();
  return new PlatformText;
}

void appendEditText(PlatformText* text, std::string_view ansi) { qtbackend::appendText(*text, ansi); }

PlatformTextPiece* prepareEditPiece(PlatformText* text, std::string_view ansi) {
  auto* piece = new PlatformTextPiece;
  qtbackend::preparePiece(*text, ansi, *piece);
  return piece;
}

void appendEditPiece(PlatformText* text, PlatformTextPiece* piece) {
  const std::unique_ptr<PlatformTextPiece> owned(piece);
  qtbackend::appendPiece(*text, *owned);
}

void releasePiece(PlatformTextPiece* piece) { delete piece; }

void setEditText(PlatformControl* editBox, PlatformText* text) {
  std::unique_ptr<PlatformText> owned(text);
  if (qtbackend::EditBox* edit = editBoxOf(editBox)) edit->setText(std::move(owned));
}

PlatformText* takeEditText(PlatformControl* editBox) {
  if (qtbackend::EditBox* edit = editBoxOf(editBox)) return edit->takeText();
  return new PlatformText;
}

std::string ansiText(PlatformText* text) { return qtbackend::ansiText(*text); }

PlatformText* splitEditText(PlatformText* text) { return qtbackend::splitText(*text); }

void releaseText(PlatformText* text) { delete text; }

void setChecked(PlatformControl* control, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(widgetOf(control))) {
    button->setCheckable(true);
    button->setChecked(checked);
  }
}

bool isChecked(PlatformControl* control) {
  auto* button = qobject_cast<QAbstractButton*>(widgetOf(control));
  return button != nullptr && button->isChecked();
}

void setEnabled(PlatformControl* control, bool enabled) {
  if (QWidget* widget = widgetOf(control)) widget->setEnabled(enabled);
}

void setTabStop(PlatformControl* control, bool tabStop) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr) return;
  if (qobject_cast<QRadioButton*>(widget) != nullptr) {
    widget->setProperty(kTabStop, tabStop);
    applyRadioStops(widget->parentWidget());
    return;
  }
  const int policy = widget->focusPolicy();
  const int tab = Qt::TabFocus;
  widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(tabStop ? policy | tab : policy & ~tab));
}

void setFocus(PlatformControl* control) {
  if (QWidget* widget = widgetOf(control)) widget->setFocus(Qt::OtherFocusReason);
}

void setCtrlEnterClick(PlatformControl* editBox, PlatformControl* button) {
  qtbackend::EditBox* edit = editBoxOf(editBox);
  if (edit == nullptr) return;
  delete editBox->ctrlEnterClick.data();
  if (auto* clicked = qobject_cast<QAbstractButton*>(widgetOf(button))) {
    editBox->ctrlEnterClick = new CtrlEnterClick(edit, clicked);
    edit->installEventFilter(editBox->ctrlEnterClick);
  }
}

// Where Tab (or Ctrl+Tab in an edit box) moves the focus: as the window reads, top to bottom
// and then left to right, a group frame's boxes where the frame stands. Qt would follow the
// order the controls were made in.
QList<QPoint> readingPlace(const QWidget* widget, const QWidget* window) {
  QList<QPoint> place;
  for (; widget != window && widget != nullptr; widget = widget->parentWidget()) place.prepend(widget->pos());
  return place;
}

void orderTabStops(QWidget* window) {
  // Every widget that can take the focus, so a radio box that becomes the stop later (once
  // checked) is already in its place.
  QList<QWidget*> stops;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (widget->focusPolicy() != Qt::NoFocus) stops.append(widget);
  }
  const auto before = [window](const QWidget* a, const QWidget* b) {
    const QList<QPoint> at = readingPlace(a, window);
    const QList<QPoint> bt = readingPlace(b, window);
    return std::lexicographical_compare(at.begin(), at.end(), bt.begin(), bt.end(), [](QPoint p, QPoint q) {
      return p.y() != q.y() ? p.y() < q.y() : p.x() < q.x();
    });
  };
  std::stable_sort(stops.begin(), stops.end(), before);
  for (qsizetype i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void setVisible(PlatformControl* control, bool visible) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr) return;
  if (visible && control->topLevel) orderTabStops(widget);
  widget->setVisible(visible);
}

void placeBehind(PlatformControl* control, PlatformControl* sibling) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr) return;
  if (QWidget* front = widgetOf(sibling)) {
    widget->stackUnder(front);
  } else {
    widget->raise();
  }
}

void setClickHandler(PlatformControl* button, PlatformCall handler, void* context) {
  if (button == nullptr) return;
  button->clickHandler = handler;
  button->clickContext = context;
}

// Qt has no pointer for a window and everything in it: a widget that chose its own (an edit
// box's text area) keeps it over its parent's. So every widget of the window gets the busy
// pointer, and those that had their own get it back after.
constexpr char kOwnCursor[] = "cellbraeOwnCursor";

void setBusyPointer(PlatformControl* window, bool busy) {
  QWidget* top = widgetOf(window);
  if (top == nullptr) return;
  QList<QWidget*> widgets = top->findChildren<QWidget*>();
  widgets.prepend(top);
  for (QWidget* widget : widgets) {
    if (busy) {
      if (widget->testAttribute(Qt::WA_SetCursor)) widget->setProperty(kOwnCursor, QVariant::fromValue(widget->cursor()));
      widget->setCursor(Qt::BusyCursor);
      continue;
    }
    const QVariant own = widget->property(kOwnCursor);
    if (own.isValid()) {
      widget->setCursor(own.value<QCursor>());
    } else {
      widget->unsetCursor();
    }
    widget->setProperty(kOwnCursor, QVariant());
  }
}

int32_t runLoop() {
  return mainThreadGate.runLoop(anyWindowAlive, [] { return int32_t{QApplication::exec()}; });
}

void showErrorBox(std::u16string_view caption, std::u16string_view text) {
  QString body = toQString(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::Critical, toQString(caption), body, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

const WindowSystem kQtWindowSystem{
    .start = start,
    .stop = stop,
    .isMainThread = isMainThread,
    .screenSize = screenSize,
    .workArea = workArea,
    .largestWindow = largestWindow,
    .createWindow = createWindow,
    .createControl = createControl,
    .setParent = setParent,
    .destroyWindow = destroyWindow,
    .isAlive = isAlive,
    .setFont = setFont,
    .setText = setText,
    .text = text,
    .newEditText = newEditText,
    .appendEditText = appendEditText,
    .prepareEditPiece = prepareEditPiece,
    .appendEditPiece = appendEditPiece,
    .releasePiece = releasePiece,
    .setEditText = setEditText,
    .takeEditText = takeEditText,
    .ansiText = ansiText,
    .splitEditText = splitEditText,
    .releaseText = releaseText,
    .setChecked = setChecked,
    .isChecked = isChecked,
    .setEnabled = setEnabled,
    .setTabStop = setTabStop,
    .setFocus = setFocus,
    .setCtrlEnterClick = setCtrlEnterClick,
    .setVisible = setVisible,
    .placeBehind = placeBehind,
    .setClickHandler = setClickHandler,
    .setBusyPointer = setBusyPointer,
    .runLoop = runLoop,
    .showErrorBox = showErrorBox,
    .callOnMainThread = callOnMainThread,
};

}  // namespace

const WindowSystem& platformWindowSystem() { return kQtWindowSystem; }
