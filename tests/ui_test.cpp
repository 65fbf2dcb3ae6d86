// MainWindow as created from its description, driven through real Qt widgets: layout, texts,
// fonts, stacking, clicks, and the control properties from the main thread and from workers.
#include <QAbstractButton>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "platform/threads.h"
#include "runtime/work_ahead.h"
#include "tests/window_test_support.h"
#include "ui/control_property.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"
#include "ui/window_placement.h"

namespace {

using unitId::kMainWindow;

// The box's whole text as a person copies it out (select all, copy), the caret left as it was:
// the document may cut a long line into blocks that are not line breaks.
QString copiedText(QPlainTextEdit* edit) {
  const QTextCursor caret = edit->textCursor();
  edit->selectAll();
  edit->copy();
  edit->setTextCursor(caret);
  return QGuiApplication::clipboard()->text();
}

std::atomic<int> startClicks{0};
void countStartClick() { ++startClicks; }
const NamedHandler kHandlers[] = {{kStartButtonClickHandler, countStartClick}};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startClicks = 0;
    window_ = openMainWindow(kHandlers);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    closeMainWindowForm();
  }

  template <class Widget = QWidget>
  Widget* control(QStringView name) {
    auto* widget = childNamed<Widget>(window_, name);
    EXPECT_NE(widget, nullptr) << name.toString().toStdString();
    return widget;
  }

  QWidget* window_ = nullptr;
};

const std::string kExpectedUsageText = gbk(
    u"Cellbrae\r\n\r\n序号 字段名 注释\r\n1 file 文件\r\n2 path 路径\r\n\r\n结果示例：\r\n"
    u"+-------+---------+-------+\r\n| 序号  | 字段名  | 注释  |\r\n+-------+---------+-------+\r\n"
    u"| 1     | file    | 文件  |\r\n| 2     | path    | 路径  |\r\n+-------+---------+-------+\r\n");

TEST_F(MainWindowTest, WindowIsCentredFixedAndUnowned) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  // The outer size counts the frame, whatever margins the platform reports. Qt's offscreen
  // screen (800x800) is narrower than the window: centred on it, the window's left edge
  // would be off screen, so it is at the screen's; vertically it is centred.
  ASSERT_EQ(screen, QSize(800, 800));
  ASSERT_EQ(work, QRect(0, 0, 800, 800));
  EXPECT_EQ(window_->frameGeometry(), QRect(0, (800 - 720) / 2, 940, 720));
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
  const Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window_->parentWidget(), nullptr);

  const QImage icon = window_->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(icon.size(), QSize(16, 16));
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(qAlpha(icon.pixel(x, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(x, 14)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(x, 15)), 0);
    EXPECT_EQ(icon.pixel(x, 1), 0xFF000000u);
    EXPECT_EQ(icon.pixel(x, 13), 0xFF000000u);
  }
  EXPECT_EQ(icon.pixel(7, 3), 0xFFC0C0C0u) << "header row";
  EXPECT_EQ(icon.pixel(2, 11), 0xFFC0C0C0u) << "header column";
  EXPECT_EQ(icon.pixel(12, 7), 0xFFFFFFFFu) << "a plain cell";
  EXPECT_EQ(icon.pixel(5, 7), 0xFF000000u) << "a grid line";
}

TEST_F(MainWindowTest, ControlsHaveTheirGeometryTextsAndFlags) {
  struct Expected {
    QStringView name;
    const char* className;
    QStringView parent;
    QRect geometry;
    QStringView text;
    bool tabStop;
  };
  const Expected expected[] = {
      {u"编辑框1", "QPlainTextEdit", u"", {0, 0, 930, 310}, u"", true},
      {u"分组框1", "QGroupBox", u"", {0, 303, 288, 40}, u"", false},
      {u"单选框1", "QRadioButton", u"分组框1", {8, 13, 80, 24}, u"tab", true},
      // Tab stops all three, but Tab takes a frame's radio boxes at the checked one only.
      {u"单选框2", "QRadioButton", u"分组框1", {96, 13, 80, 24}, u"空格", false},
      {u"单选框3", "QRadioButton", u"分组框1", {186, 13, 80, 24}, u"英文逗号", false},
      {u"按钮1", "QPushButton", u"", {288, 310, 653, 30}, u"字符表格", true},
      {u"编辑框2", "QPlainTextEdit", u"", {0, 340, 930, 350}, u"", true},
  };
  for (const Expected& unit : expected) {
    SCOPED_TRACE(unit.name.toString().toStdString());
    QWidget* widget = control(unit.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), unit.className);
    EXPECT_EQ(widget->parentWidget()->objectName(), unit.parent.toString());
    EXPECT_EQ(widget->geometry(), unit.geometry);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(widget->isEnabled());
    EXPECT_EQ((widget->focusPolicy() & Qt::TabFocus) != 0, unit.tabStop);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      EXPECT_EQ(button->text(), unit.text.toString());
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_EQ(group->title(), QString());
    }
  }
  auto* button = control<QPushButton>(u"按钮1");
  EXPECT_FALSE(button->isDefault());
  EXPECT_FALSE(button->autoDefault());
  for (QStringView name : {u"编辑框1", u"编辑框2"}) {
    auto* edit = control<QPlainTextEdit>(name);
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(edit->isReadOnly());
  }
}

TEST_F(MainWindowTest, StackingOrderFollowsTheDescription) {
  auto backToFront = [](QWidget* parent) {
    QStringList names;
    for (QObject* child : parent->children()) {
      if (child->isWidgetType()) names << child->objectName();
    }
    return names;
  };
  EXPECT_EQ(backToFront(window_), (QStringList{qs(u"编辑框1"), qs(u"编辑框2"), qs(u"按钮1"), qs(u"分组框1")}));
  EXPECT_EQ(backToFront(control(u"分组框1")), (QStringList{qs(u"单选框1"), qs(u"单选框2"), qs(u"单选框3")}));
}

// Every character the code page can put into a table, measured in the output box's own font
// as Qt lays it out (fallback fonts included): printable ASCII one cell, the euro sign (one
// byte in code page 936) one cell, every GBK double-byte character two.
TEST_F(MainWindowTest, OutputBoxDrawsEveryGbkCharacterOnTheGrid) {
  const QFont font = control(u"编辑框2")->font();
  EXPECT_EQ(font.pixelSize(), 14);
  EXPECT_EQ(font.weight(), QFont::Normal);
  const QFontMetricsF metrics(font);
  const qreal cell = metrics.horizontalAdvance(QLatin1Char('a'));
  ASSERT_NEAR(cell, 7, 0.1) << "half an em of a 14-pixel font";
  QString offGrid;
  for (char16_t c = 0x20; c < 0x7f; ++c) {
    if (metrics.horizontalAdvance(QString(QChar(c))) != cell) offGrid += QChar(c);
  }
  if (metrics.horizontalAdvance(qs(u"€")) != cell) offGrid += u'€';
  int walked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string wide = platformCodePage().toUtf16(std::string_view(pair, 2));
      if (trail == 0x7F || wide.size() != 1 || wide[0] == u'\uFFFD') continue;
      ++walked;
      if (metrics.horizontalAdvance(QString(QChar(wide[0]))) != 2 * cell) offGrid += QChar(wide[0]);
    }
  }
  EXPECT_EQ(walked, 21791);
  EXPECT_EQ(offGrid.size(), 0) << "first off the grid: " << offGrid.left(40).toStdString() << " in "
                               << QFontInfo(font).family().toStdString() << ", cell " << cell << ", 文 "
                               << metrics.horizontalAdvance(qs(u"文"));
  EXPECT_EQ(control(u"按钮1")->font().pixelSize(), 19);
  EXPECT_EQ(control(u"按钮1")->font().weight(), QFont::Bold);
  EXPECT_EQ(control(u"按钮1")->font().family(), font.family());
  for (QStringView name : {u"编辑框1", u"分组框1", u"单选框1", u"单选框2", u"单选框3"}) {
    EXPECT_EQ(control(name)->font(), QApplication::font()) << name.toString().toStdString();
  }
}

// A person's habits in the edit boxes: Tab types a tab; Ctrl+Tab moves on in the order the
// window reads (input, the checked radio box, the button, the output), and Tab does so
// where it does not type; what was typed or pasted reads back unchanged, a no-break space
// included (the code page then makes it "?", as on Windows).
TEST_F(MainWindowTest, TabTypesATabAndFocusMovesAsTheWindowReads) {
  QApplication::setActiveWindow(window_);
  auto* input = control<QPlainTextEdit>(u"编辑框1");
  input->setFocus();
  QTest::keyClicks(input, QStringLiteral("ab"));
  QTest::keyClick(input, Qt::Key_Tab);
  QTest::keyClicks(input, QStringLiteral("cd"));
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).c_str()), "ab\tcd");
  QTest::keyClick(input, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), control(u"单选框1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), control(u"按钮1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), control(u"编辑框2"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), control(u"按钮1"));
  // With "英文逗号" checked, the radio boxes' stop is that box.
  QTest::mouseClick(control(u"单选框3"), Qt::LeftButton);
  input->setFocus();
  QTest::keyClick(input, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), control(u"单选框3"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), control(u"按钮1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), control(u"单选框3"));

  input->clear();
  input->insertPlainText(qs(u"张\u00a0三丰 25\n李四 30"));
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).c_str()), gbk(u"张?三丰 25\r\n李四 30"));

  // A read long enough to be converted in two parts: a NUL in either reads as "?" and the
  // parts join with nothing lost or doubled.
  QString lines;
  std::string expected;
  for (int i = 0; lines.size() < 300000; ++i) {
    const QString number = QString::number(i);
    lines += number + QChar(0) + QStringLiteral("序\n");
    expected += number.toStdString() + "?" + gbk(u"序") + "\r\n";
  }
  input->clear();
  input->insertPlainText(lines);
  const TextValue read = readContent(kMainWindow, unitId::kEditBox1);
  EXPECT_EQ(read.view().size(), expected.size());
  EXPECT_TRUE(std::string(read.view()) == expected) << "every NUL as \"?\", the parts joined in order";
}

// A big paste goes into the box a piece at a time, the main thread taking other events between
// pieces, over the selection it replaces, and is one step to undo and redo. What the box ends
// up holding is exactly what was pasted, and a read during the paste sees all of it.
TEST_F(MainWindowTest, BigPasteGoesInPiecesAndUndoesInOneStep) {
  QApplication::setActiveWindow(window_);
  auto* input = control<QPlainTextEdit>(u"编辑框1");
  QString pasted;
  for (int line = 0; line < 30000; ++line) pasted += QString::number(line) + qs(u",字段,") + QString(line % 50, u'x') + u'\n';
  pasted += QString(70000, u'长') + qs(u"\r\n末\U0001F600");
  input->setPlainText(QStringLiteral("before<selected>after"));
  input->setFocus();
  QString whole = QStringLiteral("before") + pasted + QStringLiteral("after");
  whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  for (const bool readDuringThePaste : {false, true}) {
    SCOPED_TRACE(readDuringThePaste ? "read during the paste" : "waited for");
    QTextCursor selection = input->textCursor();
    selection.setPosition(6);
    selection.setPosition(16, QTextCursor::KeepAnchor);
    input->setTextCursor(selection);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(input->isReadOnly()) << "the paste goes on after Ctrl+V returns, and takes no typing meanwhile";
    if (readDuringThePaste) {
      QString read = whole;
      read.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
      EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox1).view()) == gbk(read))
          << "the read finishes the paste first";
    } else {
      int turns = 0;
      QEventLoop loop;
      QTimer turn;
      QObject::connect(&turn, &QTimer::timeout, [&] {
        ++turns;
        if (!input->isReadOnly()) loop.quit();
      });
      turn.start(0);
      loop.exec();
      EXPECT_GT(turns, 1) << "the loop ran between the pieces";
    }
    EXPECT_FALSE(input->isReadOnly());
    EXPECT_TRUE(copiedText(input) == whole);
    QTextCursor rest = input->textCursor();
    rest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    EXPECT_EQ(rest.selectedText(), QStringLiteral("after")) << "the caret stands after the pasted text";
    input->undo();
    EXPECT_EQ(input->toPlainText(), QStringLiteral("before<selected>after"));
    input->redo();
    EXPECT_TRUE(copiedText(input) == whole);
    input->undo();
  }
}

// The window opens ready for typing: the focus is in the input box, and comes back there
// when the window is left and activated again.
TEST_F(MainWindowTest, FocusStartsInTheInputBox) {
  QApplication::setActiveWindow(window_);
  EXPECT_EQ(QApplication::focusWidget(), control(u"编辑框1"));
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("a b"));
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).c_str()), "a b");
  QApplication::setActiveWindow(nullptr);
  QApplication::setActiveWindow(window_);
  EXPECT_EQ(QApplication::focusWidget(), control(u"编辑框1"));
}

// Enter as the keyboard repeats it while it is held down.
void sendHeldEnter(QWidget* widget, Qt::KeyboardModifiers modifiers) {
  QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, modifiers, QStringLiteral("\r"), true);
  QApplication::sendEvent(widget, &held);
}

// Enter (either one) presses the button that has the focus, once however long it is held;
// Space still does. Shift+Enter is not Enter.
TEST_F(MainWindowTest, EnterPressesTheFocusedButton) {
  QApplication::setActiveWindow(window_);
  auto* button = control(u"按钮1");
  button->setFocus(Qt::OtherFocusReason);
  const int before = startClicks.load();
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(startClicks.load(), before + 1);
  QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(startClicks.load(), before + 2);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(startClicks.load(), before + 3);
  sendHeldEnter(button, Qt::NoModifier);
  QTest::keyClick(button, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(startClicks.load(), before + 3) << "a repeat and Shift+Enter press nothing";
  EXPECT_EQ(QApplication::focusWidget(), button);
}

// Ctrl+Enter in the input box presses "字符表格" and leaves the box as it was, the focus in
// it; Enter alone breaks the line. The output box has no such key.
TEST_F(MainWindowTest, CtrlEnterInTheInputBoxPressesTheButton) {
  QApplication::setActiveWindow(window_);
  auto* input = control(u"编辑框1");
  QTest::keyClicks(input, QStringLiteral("a b"));
  const int before = startClicks.load();
  QTest::keyClick(input, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(startClicks.load(), before + 1);
  QTest::keyClick(input, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(startClicks.load(), before + 2);
  sendHeldEnter(input, Qt::ControlModifier);
  EXPECT_EQ(startClicks.load(), before + 2) << "a held key presses once";
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).c_str()), "a b");
  EXPECT_EQ(QApplication::focusWidget(), input);
  QTest::keyClick(input, Qt::Key_Return);
  QTest::keyClicks(input, QStringLiteral("c"));
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).c_str()), "a b\r\nc");

  auto* output = control(u"编辑框2");
  output->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(output, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(startClicks.load(), before + 2);
}

// The button shows that it has the focus, however the focus came to it (a click, or the
// program), not only after a Tab.
TEST_F(MainWindowTest, FocusedButtonShowsItsFocus) {
  QApplication::setActiveWindow(window_);
  auto* button = control(u"按钮1");
  const QImage unfocused = button->grab().toImage();
  button->setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(button->hasFocus());
  const QImage focused = button->grab().toImage();
  EXPECT_NE(focused, unfocused);
  control(u"编辑框1")->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(button->grab().toImage(), unfocused);
}

// Copying from a box offers exactly two flavours: the text as Qt has always given it, and
// one <pre> in a monospace font list, the box's own family first where it is monospace, so
// that a rich-text editor keeps the table's columns.
TEST_F(MainWindowTest, CopyOffersTextAndOnePreInMonospaceFonts) {
  QApplication::setActiveWindow(window_);
  const QString families =
      QStringLiteral("'NSimSun', 'SimSun', 'Sarasa Mono SC', 'Noto Sans Mono CJK SC', 'WenQuanYi Zen Hei Mono', monospace");
  auto* output = control<QPlainTextEdit>(u"编辑框2");
  output->setFocus();
  QTest::keyClick(output, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(output, Qt::Key_C, Qt::ControlModifier);
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->formats(), QStringList({QStringLiteral("text/plain"), QStringLiteral("text/html")}));
  const QString usage = qs(
      u"Cellbrae\n\n序号 字段名 注释\n1 file 文件\n2 path 路径\n\n结果示例：\n"
      u"+-------+---------+-------+\n| 序号  | 字段名  | 注释  |\n+-------+---------+-------+\n"
      u"| 1     | file    | 文件  |\n| 2     | path    | 路径  |\n+-------+---------+-------+\n");
  EXPECT_EQ(copied->data(QStringLiteral("text/plain")), usage.toUtf8());
  EXPECT_EQ(output->font().family(), QStringLiteral("Cellbrae Grid"));
  EXPECT_EQ(copied->data(QStringLiteral("text/html")),
            (QStringLiteral("<meta charset=\"utf-8\"><pre style=\"font-family: 'Cellbrae Grid', ") + families +
             QStringLiteral("\">") + usage + QStringLiteral("</pre>")).toUtf8());

  // The input box's font is proportional: the list alone, and the text escaped for HTML.
  auto* input = control<QPlainTextEdit>(u"编辑框1");
  input->setFocus();
  QTest::keyClicks(input, QStringLiteral("<a&b>\t\"c\""));
  QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(input, Qt::Key_C, Qt::ControlModifier);
  copied = QApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->data(QStringLiteral("text/plain")), QByteArray("<a&b>\t\"c\""));
  EXPECT_EQ(copied->data(QStringLiteral("text/html")),
            (QStringLiteral("<meta charset=\"utf-8\"><pre style=\"font-family: ") + families +
             QStringLiteral("\">&lt;a&amp;b&gt;\t&quot;c&quot;</pre>")).toUtf8());
}

// An edit box's context menu speaks the person's language (ctest runs this once more under
// zh_CN.UTF-8): Qt's own texts are translated as the system's controls are on Windows.
TEST_F(MainWindowTest, ContextMenuSpeaksTheLocaleLanguage) {
  std::unique_ptr<QMenu> menu(control<QPlainTextEdit>(u"编辑框1")->createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts.append(action->text());
  }
  ASSERT_FALSE(texts.isEmpty());
  const bool chinese = qEnvironmentVariable("LC_ALL").startsWith(QStringLiteral("zh_CN"));
  EXPECT_EQ(QLocale().name() == QStringLiteral("zh_CN"), chinese);
  EXPECT_EQ(texts.last().contains(chinese ? qs(u"全选") : QStringLiteral("Select All")), true)
      << texts.join(u' ').toStdString();
}

TEST_F(MainWindowTest, StartsWithUsageTextAndFirstRadioChecked) {
  const TextValue usage = readContent(kMainWindow, unitId::kEditBox2);
  EXPECT_EQ(std::string(usage.view()), kExpectedUsageText);
  EXPECT_EQ(std::string(kUsageText), kExpectedUsageText);
  EXPECT_EQ(control<QPlainTextEdit>(u"编辑框2")->document()->lineCount(), 14) << "13 lines and the empty last";
  EXPECT_TRUE(readContent(kMainWindow, unitId::kEditBox1).isNull()) << "an empty box reads as null";
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox1), 1);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox2), 0);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox3), 0);
  EXPECT_EQ(startClicks.load(), 0) << "no event runs when the window opens";
}

TEST_F(MainWindowTest, ClicksCheckRadioBoxesAndRunTheBoundHandler) {
  QTest::mouseClick(control(u"单选框3"), Qt::LeftButton);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox1), 0);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox2), 0);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox3), 1);
  QTest::mouseClick(control(u"单选框2"), Qt::LeftButton);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox2), 1);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox3), 0);

  const int before = startClicks.load();
  QTest::mouseClick(control(u"按钮1"), Qt::LeftButton);
  EXPECT_EQ(startClicks.load(), before + 1);
}

TEST_F(MainWindowTest, ContentCrossesWithCrLfLineBreaks) {
  writeContent(kMainWindow, unitId::kEditBox1, gbk(u"序号 a\r\nb\r\n").c_str());
  auto* edit = control<QPlainTextEdit>(u"编辑框1");
  EXPECT_EQ(edit->toPlainText(), qs(u"序号 a\nb\n"));
  EXPECT_EQ(edit->document()->lineCount(), 3);
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), gbk(u"序号 a\r\nb\r\n"));
  writeContent(kMainWindow, unitId::kEditBox2, "");
  EXPECT_TRUE(readContent(kMainWindow, unitId::kEditBox2).isNull());
  writeChecked(kMainWindow, unitId::kRadioBox2, 1);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox1), 0);
  // Properties the unit type does not have read as zero values and are not written.
  EXPECT_TRUE(readControlProperty(kMainWindow, unitId::kRadioBox1, property::kContent).text.isNull());
  EXPECT_EQ(readControlProperty(kMainWindow, unitId::kEditBox1, property::kChecked).number, 0);
  writeContent(kMainWindow, unitId::kButton1, "x");
  EXPECT_EQ(control<QPushButton>(u"按钮1")->text(), qs(u"字符表格"));
}

TEST_F(MainWindowTest, LoneBreaksStayTextUntilTheBoxIsEdited) {
  // As in a Windows edit box, a lone "\r" or "\n" is text inside its line.
  writeContent(kMainWindow, unitId::kEditBox1, "a\nb\rc\r\nd");
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "a\nb\rc\r\nd");
  // Once someone types, the box's own text is what is read.
  auto* edit = control<QPlainTextEdit>(u"编辑框1");
  edit->moveCursor(QTextCursor::End);
  QTest::keyClick(edit, Qt::Key_X);
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "a\r\nb\r\nc\r\ndx");
  writeContent(kMainWindow, unitId::kEditBox1, "e\nf");
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "e\nf");
  // A lone break first, last, or beside a "\r\n".
  for (const char* text : {"\na", "\r", "a\r", "a\r\r\n", "a\r\n\n", "a\r\n\r", "\r\n\n\r\n"}) {
    writeContent(kMainWindow, unitId::kEditBox1, text);
    EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), text);
  }
}

TEST_F(MainWindowTest, WorkersReadAndWriteThroughTheMainThread) {
  const std::string longLine(20000, 'x');
  TextValue readBack;
  TextValue emptyRead = TextValue::copyOf("not read");
  int32_t checked = -1;
  std::thread::id ranOn;
  runOnWorkerWhilePumping([&] {
    EXPECT_FALSE(isMainThread());
    writeContent(kMainWindow, unitId::kEditBox2, gbk(u"| 序号 |\r\n+---+").c_str());
    readBack = readContent(kMainWindow, unitId::kEditBox2);
    checked = readChecked(kMainWindow, unitId::kRadioBox1);
    emptyRead = readContent(kMainWindow, unitId::kEditBox1);
    writeContent(kMainWindow, unitId::kEditBox1, longLine.c_str());
    runOnMainThread([&] { ranOn = std::this_thread::get_id(); });
  });
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(control<QPlainTextEdit>(u"编辑框2")->toPlainText(), qs(u"| 序号 |\n+---+"));
  EXPECT_EQ(std::string(readBack.view()), gbk(u"| 序号 |\r\n+---+"));
  EXPECT_EQ(std::string(readBack.view()).substr(2, 4), "\xD0\xF2\xBA\xC5") << "GBK bytes";
  EXPECT_EQ(checked, 1);
  EXPECT_TRUE(emptyRead.isNull());
  auto* input = control<QPlainTextEdit>(u"编辑框1");
  EXPECT_EQ(input->document()->lineCount(), 5) << "a long line does not wrap at the box's width, only every 4096 columns";
  EXPECT_GT(input->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(copiedText(input), QString(20000, u'x'));
}

TEST_F(MainWindowTest, ConcurrentWorkersEachSeeWholeTexts) {
  // Two workers write and read back their own texts while the main thread pumps; every read
  // is one of the two whole texts, never a mix.
  std::atomic<int> torn{0};
  const std::string left = gbk(u"左\r\nleft");
  const std::string right = gbk(u"右\r\nright");
  auto hammer = [&](const std::string& mine) {
    for (int i = 0; i < 200; ++i) {
      writeContent(kMainWindow, unitId::kEditBox2, mine.c_str());
      const TextValue seen = readContent(kMainWindow, unitId::kEditBox2);
      if (seen.view() != left && seen.view() != right) ++torn;
    }
  };
  runOnWorkerWhilePumping([&] {
    std::thread other([&] { hammer(right); });
    hammer(left);
    other.join();
  });
  EXPECT_EQ(torn.load(), 0);
}

// A worker's text reaches the box as a document made on the worker in the box's own font:
// every GBK byte of it is one cell of the grid. The box is still an edit box: what was
// written can be typed after, undone to, selected and copied.
TEST_F(MainWindowTest, WorkersTextIsLaidOutInTheBoxFontAndStaysEditable) {
  QApplication::setActiveWindow(window_);
  auto* output = control<QPlainTextEdit>(u"编辑框2");
  const std::string table = gbk(u"+------+--------+\r\n| 序号 | 字段a  |\r\n+------+--------+\r\n");
  runOnWorkerWhilePumping([&] { writeContent(kMainWindow, unitId::kEditBox2, table.c_str()); });
  QTextDocument* document = output->document();
  EXPECT_EQ(document->thread(), QThread::currentThread());
  EXPECT_EQ(document->defaultFont(), output->font());
  ASSERT_EQ(document->lineCount(), 4) << "three lines and the empty last";
  const qreal cell = QFontMetricsF(output->font()).horizontalAdvance(QLatin1Char('a'));
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    document->documentLayout()->blockBoundingRect(block);  // lays the lines out
    for (int at = 0; at < block.layout()->lineCount(); ++at) {
      const QTextLine line = block.layout()->lineAt(at);
      const QString shown = block.text().mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
      EXPECT_NEAR(line.naturalTextWidth(), cell * static_cast<qreal>(gbk(shown).size()), 0.01) << gbk(shown);
    }
  }

  output->setFocus();
  output->moveCursor(QTextCursor::End);
  QTest::keyClicks(output, QStringLiteral("x"));
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox2).view()), table + "x");
  output->undo();
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox2).view()), table);
  output->selectAll();
  output->copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), qs(u"+------+--------+\n| 序号 | 字段a  |\n+------+--------+\n"));
}

// As a Windows edit box does, the box shows a new text from its start, wherever the person
// had scrolled or put the caret, whichever thread wrote it.
TEST_F(MainWindowTest, ANewTextIsShownFromItsStart) {
  auto* output = control<QPlainTextEdit>(u"编辑框2");
  std::string lines;
  for (int i = 0; i < 500; ++i) lines += std::string(300, static_cast<char>('a' + i % 26)) + "\r\n";
  for (const bool fromWorker : {false, true}) {
    SCOPED_TRACE(fromWorker ? "from a worker" : "from the main thread");
    writeContent(kMainWindow, unitId::kEditBox2, lines.c_str());
    pumpEvents();
    output->moveCursor(QTextCursor::End);
    output->verticalScrollBar()->setValue(output->verticalScrollBar()->maximum());
    output->horizontalScrollBar()->setValue(output->horizontalScrollBar()->maximum());
    ASSERT_GT(output->verticalScrollBar()->value(), 0);
    ASSERT_GT(output->horizontalScrollBar()->value(), 0);
    if (fromWorker) {
      runOnWorkerWhilePumping([&] { writeContent(kMainWindow, unitId::kEditBox2, lines.c_str()); });
    } else {
      writeContent(kMainWindow, unitId::kEditBox2, lines.c_str());
    }
    pumpEvents();
    EXPECT_EQ(output->verticalScrollBar()->value(), 0);
    EXPECT_EQ(output->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(output->textCursor().position(), 0);
  }
}

// Texts go through the code page in slices of about 64 KiB cut after a line break: a text of
// many slices, mostly Chinese so that a cut anywhere else would split a character, with one
// line longer than a slice and the last line unbroken, comes back byte for byte, through
// either box, from either thread, and a byte earlier or later. Its two halves are read on two
// threads, or on one when no second thread starts.
TEST_F(MainWindowTest, TextsOfManySlicesCrossUnchanged) {
  const std::u16string words[] = {u"序号", u"a", u"字段名,", u"\t", u"路径备注说明", u"12345"};
  std::u16string lines;
  for (int line = 0; lines.size() < 200000; ++line) {
    for (int word = 0; word < line % 40; ++word) lines += words[(line + word) % 6];
    lines += u"\r\n";
    if (line == 700) lines += std::u16string(70000, u'长') + u"\r\n";
  }
  lines += u"末行";
  for (const std::u16string& text : {lines, u"x" + lines})
  for (const uint32_t box : {unitId::kEditBox1, unitId::kEditBox2})
  for (const bool fromWorker : {false, true})
  for (const bool secondThread : {true, false}) {
    if (!secondThread && (fromWorker || box == unitId::kEditBox2)) continue;
    const std::string bytes = gbk(text);
    QString shown = QString::fromStdU16String(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    {
      SCOPED_TRACE((box == unitId::kEditBox1 ? "input box" : "output box") + std::string(fromWorker ? " from a worker" : "") +
                   (secondThread ? "" : ", no second thread") +
                   (text.size() > lines.size() ? ", one byte later" : ""));
      writeContent(kMainWindow, box, "");
      TextValue readBack;
      const auto writeAndRead = [&] {
        writeContent(kMainWindow, box, bytes.c_str());
        readBack = readContent(kMainWindow, box);
      };
      if (fromWorker) {
        runOnWorkerWhilePumping(writeAndRead);
      } else {
        if (!secondThread) replaceThreadStart(refusingThreadStart);
        writeAndRead();
        replaceThreadStart(nullptr);
      }
      EXPECT_TRUE(readBack.view() == bytes) << "read back " << readBack.view().size() << " of " << bytes.size() << " bytes";
      auto* edit = control<QPlainTextEdit>(box == unitId::kEditBox1 ? u"编辑框1" : u"编辑框2");
      EXPECT_TRUE(copiedText(edit) == shown);
    }
  }
}

// The rows a box shows, block by block and line by line.
QStringList shownRows(QPlainTextEdit* edit) {
  QStringList rows;
  QTextDocument* document = edit->document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    document->documentLayout()->blockBoundingRect(block);  // lays the block out
    for (int at = 0; at < block.layout()->lineCount(); ++at) {
      const QTextLine line = block.layout()->lineAt(at);
      rows += block.text().mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
    }
  }
  return rows;
}

// A line longer than 4096 columns is shown on rows of 4096 columns (a Chinese character is
// two), so that the toolkit never lays out more than that at once and the rows of a table
// keep their grid; the rows it goes on in are no line breaks to the box's read, a copy,
// Backspace, Delete or undo; Enter and Shift+Enter break the line wherever they are typed.
TEST_F(MainWindowTest, LongLinesGoOnInRowsThatAreNoLineBreaks) {
  QApplication::setActiveWindow(window_);
  auto* output = control<QPlainTextEdit>(u"编辑框2");
  const QString a(5000, u'a');
  const QString wide(3000, u'序');
  const std::string text = gbk(a + qs(u"|\r\n") + wide + qs(u"|\r\nx"));
  runOnWorkerWhilePumping([&] { writeContent(kMainWindow, unitId::kEditBox2, text.c_str()); });
  EXPECT_EQ(shownRows(output), QStringList({QString(4096, u'a'), QString(904, u'a') + u'|', QString(2048, u'序'),
                                            QString(952, u'序') + u'|', QStringLiteral("x")}));
  EXPECT_EQ(output->document()->lineCount(), 5);
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) == text);

  output->setFocus();
  QTextCursor selection(output->document());
  selection.setPosition(4090);
  selection.setPosition(4110, QTextCursor::KeepAnchor);
  output->setTextCursor(selection);
  output->copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString(19, u'a')) << "the soft break gives nothing";

  // Down from the second row's start goes to the third, inside the same block.
  QTextCursor caret(output->document());
  caret.setPosition(4097);
  output->setTextCursor(caret);
  QTest::keyClick(output, Qt::Key_Down);
  EXPECT_EQ(output->textCursor().position(), 4097 + 906);
  QTest::keyClick(output, Qt::Key_Up);
  EXPECT_EQ(output->textCursor().position(), 4097);

  QTest::keyClick(output, Qt::Key_Backspace);
  QTest::keyClick(output, Qt::Key_Delete);
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) == text.substr(0, 4095) + text.substr(4097));
  output->undo();
  output->undo();
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) == text);

  caret.setPosition(4097 + 10);
  output->setTextCursor(caret);
  QTest::keyClick(output, Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClicks(output, QStringLiteral("b"));
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) ==
              text.substr(0, 4106) + "\r\nb" + text.substr(4106));
  caret.setPosition(4097);
  output->setTextCursor(caret);
  QTest::keyClick(output, Qt::Key_Return);
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) ==
              text.substr(0, 4096) + "\r\n" + text.substr(4096, 10) + "\r\nb" + text.substr(4106));

  // A paste is cut the same way, whatever block it lands in, and reads back as pasted.
  auto* input = control<QPlainTextEdit>(u"编辑框1");
  input->setFocus();
  input->clear();
  QGuiApplication::clipboard()->setText(QString(9000, u'p') + qs(u"\n\u2028q\n"));
  QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(input, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(input, Qt::Key_Right);
  QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
  const std::string pasted = std::string(9000, 'p') + "\r\n?q\r\n";
  EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox1).view()) == "p" + pasted + pasted.substr(1))
      << "U+2028 is the \"?\" it always read as, never a line break";
  EXPECT_EQ(copiedText(input), QString::fromStdString("p" + pasted + pasted.substr(1)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// A character the code page lacks reads as one "?", even where the text is cut into slices
// for the code page: a character beyond U+FFFF is two UTF-16 units that must stay together.
TEST_F(MainWindowTest, CharactersBeyondTheCodePageReadAsOneQuestionMarkEach) {
  // Lines of 200 units, the ones around the first cut (after 64 Ki units) beyond U+FFFF.
  QString far;
  QString near;
  for (int i = 0; i < 100; ++i) {
    far += qs(u"😀");
    near += qs(u"文字");
  }
  for (const QString& before : {QString(), QStringLiteral("a")}) {
    QString pasted = before;
    std::string expected = gbk(before);
    for (int line = 0; line < 400; ++line) {
      const bool beyond = line > 300 && line < 360;
      pasted += (beyond ? far : near) + u'\n';
      expected += (beyond ? std::string(100, '?') : gbk(near)) + "\r\n";
    }
    control<QPlainTextEdit>(u"编辑框1")->setPlainText(pasted);
    EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox1).view()) == expected);
  }
}

// A write in two steps: made ready on a worker, written on the main thread only when asked,
// once; one never written is released where it is dropped. A control without content is
// prepared to do nothing.
TEST_F(MainWindowTest, PreparedContentIsWrittenOnlyWhenAsked) {
  runOnWorkerWhilePumping([] {
    PreparedContent dropped = prepareContent(kMainWindow, unitId::kEditBox2, "dropped");
    PreparedContent kept = prepareContent(kMainWindow, unitId::kEditBox2, gbk(u"留下\r\n").c_str());
    writeContent(kMainWindow, unitId::kEditBox2, "between");
    runOnMainThread([&] {
      writePreparedContent(kept);
      writePreparedContent(kept);
    });
  });
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox2).view()), gbk(u"留下\r\n"));
  PreparedContent onButton = prepareContent(kMainWindow, unitId::kButton1, "x");
  writePreparedContent(onButton);
  EXPECT_EQ(control<QPushButton>(u"按钮1")->text(), qs(u"字符表格"));

  // Filled in pieces, on a worker, here, or begun here and finished on a worker: the pieces
  // read back joined, also when a lone break first comes in a later piece (the earlier ones
  // are then kept as bytes as well).
  enum class Filled { OnAWorker, Here, BegunHere };
  for (const Filled filled : {Filled::OnAWorker, Filled::Here, Filled::BegunHere}) {
    for (const char16_t* third : {u"c\r\n", u"c\nd\r\n"}) {
      const std::u16string pieces[] = {u"a,b\r\n", u"留下\r\n", third, u"end"};
      std::u16string whole;
      for (const std::u16string& piece : pieces) whole += piece;
      PreparedContent content = prepareContent(kMainWindow, unitId::kEditBox2);
      const auto append = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) content.append(gbk(pieces[i]));
      };
      const size_t here = filled == Filled::Here ? 4 : filled == Filled::BegunHere ? 1 : 0;
      append(0, here);
      runOnWorkerWhilePumping([&] { append(here, 4); });
      writePreparedContent(content);
      EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox2).view()), gbk(whole));
      QString shown = QString::fromStdU16String(whole);
      shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      EXPECT_TRUE(control<QPlainTextEdit>(u"编辑框2")->toPlainText() == shown) << static_cast<int>(filled);
    }
  }
}

// A box's document block by block: text, lines and format, as the box holds it once set.
struct BlockShape {
  QString text;
  int lineCount;
  QTextBlockFormat format;
  bool operator==(const BlockShape&) const = default;
};
std::vector<BlockShape> blockShapes(QPlainTextEdit* edit) {
  std::vector<BlockShape> shapes;
  for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
    shapes.push_back({block.text(), block.lineCount(), block.blockFormat()});
  }
  return shapes;
}

// Pieces made ready on the thread that renders ahead and added on a worker, or added here,
// build the very document one write of the whole text builds: a block of 32 lines full, a row
// cut at 4096 columns across two pieces, a lone break in a later piece (the earlier pieces,
// soft break included, then give back their bytes).
TEST_F(MainWindowTest, PiecesMadeReadyAheadBuildTheDocumentOfOneWrite) {
  std::u16string rows;
  for (int row = 1; row <= 40; ++row) rows += u"行" + std::u16string(1, static_cast<char16_t>(u'0' + row % 10)) + u"\r\n";
  const std::u16string pieces[] = {rows, std::u16string(5000, u'a'), u"\r\nx\ny\r\n", u"end"};
  std::u16string whole;
  for (const std::u16string& piece : pieces) whole += piece;
  auto* output = control<QPlainTextEdit>(u"编辑框2");
  runOnWorkerWhilePumping([&] { writeContent(kMainWindow, unitId::kEditBox2, gbk(whole).c_str()); });
  const std::vector<BlockShape> written = blockShapes(output);
  ASSERT_EQ(written.size(), 3U);
  QString first = QString::fromStdU16String(rows.substr(0, 32 * 4)).replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  first.chop(1);
  EXPECT_TRUE(written[0].text == first);
  EXPECT_TRUE(written[1].text == QString::fromStdU16String(rows.substr(32 * 4)).replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator)) + QString(4096, u'a'));
  EXPECT_TRUE(written[2].text == QString(904, u'a') + QChar::LineSeparator + u'x' + QChar::LineSeparator + u'y' + QChar::LineSeparator + QStringLiteral("end"));
  EXPECT_EQ(written[0].lineCount, 32);
  EXPECT_EQ(written[1].lineCount, 9);
  EXPECT_EQ(written[2].lineCount, 4);
  EXPECT_FALSE(written[1].format == written[2].format) << "the third block goes on with the second's row";

  for (const bool onAWorker : {true, false}) {
    SCOPED_TRACE(onAWorker ? "added on a worker" : "added here");
    writeContent(kMainWindow, unitId::kEditBox2, "");
    PreparedContent content = prepareContent(kMainWindow, unitId::kEditBox2);
    const auto fill = [&] {
      size_t next = 0;
      WorkAhead<PreparedContent::Piece> ahead(2, [&](PreparedContent::Piece& piece) {
        if (next == std::size(pieces)) return false;
        piece = content.prepare(gbk(pieces[next++]));
        return true;
      });
      for (PreparedContent::Piece piece; ahead.take(piece);) content.append(std::move(piece));
    };
    if (onAWorker) {
      runOnWorkerWhilePumping(fill);
    } else {
      fill();
    }
    writePreparedContent(content);
    EXPECT_TRUE(blockShapes(output) == written);
    EXPECT_EQ(output->document()->lineCount(), 45);
    EXPECT_FALSE(output->document()->isUndoAvailable());
    EXPECT_TRUE(std::string(readContent(kMainWindow, unitId::kEditBox2).view()) == gbk(whole));
  }
}

TEST_F(MainWindowTest, MainThreadCallsRunInPlace) {
  int value = 0;
  EXPECT_TRUE(isMainThread());
  EXPECT_TRUE(runOnMainThread([&] { value = 7; }));
  EXPECT_EQ(value, 7);
}

using MainWindowDeathTest = MainWindowTest;

TEST_F(MainWindowDeathTest, PropertiesOfMissingWindowsEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  using ::testing::HasSubstr;
  EXPECT_EXIT(readContent(0x52010002, unitId::kEditBox1), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"运行时出错!\r\n\r\n错误信息：未载入欲访问窗口组件所在的窗口\r\n\r\n")));
  EXPECT_EXIT(writeContent(0x52010002, unitId::kEditBox1, "x"), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"错误信息：未载入欲访问窗口组件所在的窗口\r\n")));
  PreparedContent preparedBefore = prepareContent(kMainWindow, unitId::kEditBox2, "x");
  destroyForm(kMainWindow);
  pumpEvents();
  EXPECT_EXIT(readContent(kMainWindow, unitId::kEditBox1), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"运行时出错!\r\n\r\n错误信息：读取组件属性时发现指定窗口尚未载入\r\n\r\n")));
  EXPECT_EXIT(readChecked(kMainWindow, unitId::kRadioBox1), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"错误信息：读取组件属性时发现指定窗口尚未载入\r\n")));
  EXPECT_EXIT(writeContent(kMainWindow, unitId::kEditBox2, ""), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"错误信息：修改组件属性时发现指定窗口尚未载入\r\n")));
  EXPECT_EXIT(writePreparedContent(preparedBefore), ::testing::ExitedWithCode(255),
              HasSubstr(gbk(u"错误信息：修改组件属性时发现指定窗口尚未载入\r\n")));
}

TEST(FormLoading, RejectsInconsistentDescriptions) {
  constexpr uint32_t kGroupChildren[] = {0x16000003};
  constexpr EventBinding kClick[] = {{kButtonClickEvent, "onMissing"}};
  const UnitRecord orphanRadio[] = {
      {.unitId = 0x52000001, .type = UnitType::Window, .width = 100, .height = 100},
      {.unitId = 0x16000002, .type = UnitType::GroupBox},
      {.unitId = 0x16000003, .type = UnitType::RadioBox, .parent = 0x16000002},
  };
  EXPECT_FALSE(loadForm({0x52000001, orphanRadio}, kHandlers)) << "the group box does not list the radio box";

  const UnitRecord unboundClick[] = {
      {.unitId = 0x52000004, .type = UnitType::Window},
      {.unitId = 0x16000005, .type = UnitType::Button, .events = kClick},
  };
  EXPECT_FALSE(loadForm({0x52000004, unboundClick}, kHandlers)) << "no routine is named onMissing";

  const UnitRecord repeatedId[] = {
      {.unitId = 0x52000006, .type = UnitType::Window},
      {.unitId = 0x16000007, .type = UnitType::EditBox},
      {.unitId = 0x16000007, .type = UnitType::Button},
  };
  EXPECT_FALSE(loadForm({0x52000006, repeatedId}, kHandlers));
  EXPECT_FALSE(loadForm({0x52000009, repeatedId}, kHandlers)) << "the first record must be the window";

  // Ctrl+Enter clicks a button, from an edit box; the focus goes to a control of the window.
  constexpr TypeSettings kClicksC{.ctrlEnterClicks = 0x1600000c};
  constexpr TypeSettings kClicksB{.ctrlEnterClicks = 0x1600000b};
  const UnitRecord keys[] = {
      {.unitId = 0x5200000a, .type = UnitType::Window},
      {.unitId = 0x1600000b, .type = UnitType::EditBox, .settings = kClicksC},
      {.unitId = 0x1600000c, .type = UnitType::Button},
  };
  const UnitRecord missingButton[] = {keys[0], keys[1]};
  const UnitRecord clicksAnEditBox[] = {keys[0], keys[1], keys[2],
                                        {.unitId = 0x1600000d, .type = UnitType::EditBox, .settings = kClicksB}};
  const UnitRecord fromAButton[] = {keys[0], keys[1], keys[2],
                                    {.unitId = 0x1600000e, .type = UnitType::Button, .settings = kClicksC}};
  EXPECT_FALSE(loadForm({0x5200000a, missingButton}, kHandlers)) << "the button is not there";
  EXPECT_FALSE(loadForm({0x5200000a, clicksAnEditBox}, kHandlers)) << "Ctrl+Enter clicks buttons only";
  EXPECT_FALSE(loadForm({0x5200000a, fromAButton}, kHandlers)) << "only an edit box takes Ctrl+Enter";
  EXPECT_FALSE(loadForm({0x5200000a, keys, 0x1600000f}, kHandlers)) << "no such focus";
  EXPECT_FALSE(loadForm({0x5200000a, keys, 0x5200000a}, kHandlers)) << "the window is no control";
  EXPECT_TRUE(loadForm({0x5200000a, keys, 0x1600000b}, kHandlers));
  dropForm(0x5200000a);

  const UnitRecord consistent[] = {
      {.unitId = 0x52000008, .type = UnitType::Window},
      {.unitId = 0x16000002, .type = UnitType::GroupBox, .children = kGroupChildren},
      {.unitId = 0x16000003, .type = UnitType::RadioBox, .parent = 0x16000002},
  };
  EXPECT_TRUE(loadForm({0x52000008, consistent}, kHandlers));
  EXPECT_NE(findLoadedForm(0x52000008), nullptr);
  dropForm(0x52000008);
  EXPECT_EQ(findLoadedForm(0x52000008), nullptr);
  EXPECT_FALSE(createForm(0x52000008)) << "a dropped description cannot be created";
}

}  // namespace

namespace {

// Centred as described on a screen the window fits; moved the least into the work area where
// it does not, so the caption can always be grabbed.
TEST(WindowPlacement, CentredThenMovedIntoTheWorkArea) {
  const auto place = [](ScreenArea screen, ScreenArea work) {
    const ScreenArea at = placeWindow(screen, work, {0, 0, INT32_MAX, INT32_MAX}, 940, 720);
    return std::pair(at.left, at.top);
  };
  EXPECT_EQ(place({0, 0, 1920, 1080}, {0, 0, 1920, 1040}), std::pair(490, 180));
  EXPECT_EQ(place({0, 0, 1280, 1024}, {0, 0, 1280, 1024}), std::pair(170, 152));
  // 1280x1024 at 150%: 853x682 pixels of the toolkit; centring alone gave (-44, -19).
  EXPECT_EQ(place({0, 0, 853, 682}, {0, 0, 853, 682}), std::pair(0, 0));
  // A panel along the top: the window fits under it.
  EXPECT_EQ(place({0, 0, 1024, 768}, {0, 40, 1024, 728}), std::pair(42, 40));
  // A task bar along the bottom pushes the window up, not off the top.
  EXPECT_EQ(place({0, 0, 1024, 768}, {0, 0, 1024, 730}), std::pair(42, 10));
}

std::string describe(const ScreenArea& area) {
  return std::to_string(area.left) + "," + std::to_string(area.top) + " " + std::to_string(area.width) + "x" +
         std::to_string(area.height);
}

// Where the described size cannot be shown: as tall as the work area (a window can be moved
// sideways past the screen's edge but never up past its top), and no larger than the system
// makes a window.
TEST(WindowPlacement, WindowLargerThanItsRoomIsMadeToFitIt) {
  constexpr ScreenArea kAnySize{0, 0, INT32_MAX, INT32_MAX};
  // 1920x1080 at 150% with a 72-pixel panel: 1280x720 pixels of the toolkit, 672 rows free.
  EXPECT_EQ(describe(placeWindow({0, 0, 1280, 720}, {0, 0, 1280, 672}, kAnySize, 940, 720)), "170,0 940x672");
  // Narrower than the window, the screen leaves it its width: it is moved to see the rest.
  EXPECT_EQ(describe(placeWindow({0, 0, 800, 800}, {0, 0, 800, 800}, kAnySize, 940, 720)), "0,40 940x720");
  // A system that cuts windows to the screen and a frame: 1280x1024 at 200%, frames of 3.
  EXPECT_EQ(describe(placeWindow({0, 0, 640, 512}, {0, 0, 640, 512}, {0, 0, 643, 515}, 940, 720)), "0,0 643x512");
  EXPECT_EQ(describe(placeWindow({0, 0, 1920, 1080}, {0, 0, 1920, 1040}, {0, 0, 1926, 1086}, 940, 720)),
            "490,180 940x720");
}

// MainWindow's own controls (the radio boxes move with their frame) in a window short of rows
// and columns: the edit boxes give the rows in proportion to their heights and the row between
// them keeps its place against both; every control that reaches the right edge gives the columns.
TEST(WindowPlacement, TheBoxesGiveTheRoomTheWindowLacks) {
  const auto fitted = [](int32_t widthLoss, int32_t heightLoss) {
    FittedControl controls[] = {
        {{0, 303, 288, 40}, false, false},   // 分组框1
        {{288, 310, 653, 30}, false, true},  // 按钮1
        {{0, 340, 930, 350}, true, true},    // 编辑框2
        {{0, 0, 930, 310}, true, true},      // 编辑框1
    };
    fitLayout(controls, widthLoss, heightLoss);
    std::string shown;
    for (const FittedControl& control : controls) shown += describe(control.area) + "; ";
    return shown;
  };
  EXPECT_EQ(fitted(0, 0), "0,303 288x40; 288,310 653x30; 0,340 930x350; 0,0 930x310; ");
  // 150% on 1920x1080 under a 72-pixel panel: 48 rows, 25 from the output box and 23 from the
  // input box; the output box's last row is 48 above where it was.
  EXPECT_EQ(fitted(0, 48), "0,280 288x40; 288,287 653x30; 0,317 930x325; 0,0 930x287; ");
  EXPECT_EQ(fitted(297, 208), "0,205 288x40; 288,212 356x30; 0,242 633x240; 0,0 633x212; ");
  // No box goes below a line and its scroll bars, no button below a short caption; what the
  // boxes cannot give stays ungiven.
  EXPECT_EQ(fitted(900, 700), "0,53 288x40; 288,60 120x30; 0,90 120x60; 0,0 120x60; ");
}

}  // namespace
