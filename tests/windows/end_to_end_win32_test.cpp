// The shared case list through the real Win32 window in this process: the input set with
// WM_SETTEXT, the separator's radio box and "按钮1" clicked with BM_CLICK, the run done by a real
// worker with the system's script control, and the table read back with WM_GETTEXT.
// Narrow literals here are GBK.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/code_page.h"
#include "runtime/process_services.h"
#include "tests/end_to_end_cases.h"
#include "tests/run_watch.h"
#include "tests/windows/win32_window_support.h"
#include "ui/form_creation.h"

namespace {

using runWatch::runsEnded;

class EndToEndWin32 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(initialiseMainThreadOle()); }

  void SetUp() override {
    ASSERT_TRUE(loadForm(MainWindow, runWatch::kWatchedHandlers));
    ASSERT_TRUE(createForm(unitId::kMainWindow));
    const auto windows = topLevelWindows(GetCurrentProcessId(), kWindowClass, "Cellbrae");
    ASSERT_EQ(windows.size(), 1u);
    window_ = windows.front();
    input_ = controlNamed(window_, "编辑框1");
    output_ = controlNamed(window_, "编辑框2");
    button_ = controlNamed(window_, "按钮1");
    ASSERT_TRUE(input_ != nullptr && output_ != nullptr && button_ != nullptr);
  }
  void TearDown() override {
    destroyForm(unitId::kMainWindow);
    pumpMessages();
  }

  // One press as a person makes it, then the main thread pumps until the worker's run ends.
  std::string tableFor(const EndToEndCase& each) {
    runWatch::forgetCellStore();
    SendMessageA(input_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(each.input.c_str()));
    HWND radio = controlNamed(window_, platformCodePage().toAnsi(radioBoxFor(each.separator)));
    EXPECT_NE(radio, nullptr);
    SendMessageA(radio, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    const int before = runsEnded;
    SendMessageA(button_, BM_CLICK, 0, 0);
    EXPECT_EQ(windowText(output_), "") << "a press empties the output box at once";
    pumpUntil([&] { return runsEnded - before >= 1; });
    return windowText(output_);
  }

  // The pointer the window shows over the output box, asked as the system asks on a move.
  HCURSOR pointerOverOutput() {
    SendMessageA(output_, WM_SETCURSOR, reinterpret_cast<WPARAM>(output_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  }

  HWND window_ = nullptr;
  HWND input_ = nullptr;
  HWND output_ = nullptr;
  HWND button_ = nullptr;
};

// The same list the Linux window test runs: the same bytes on both.
TEST_F(EndToEndWin32, SharedEndToEndCases) {
  for (const EndToEndCase& each : endToEndCases()) {
    SCOPED_TRACE(each.name);
    EXPECT_EQ(tableFor(each), each.output);
    if (each.cellStore) {
      EXPECT_EQ(runWatch::cellStore(), *each.cellStore);
    }
  }
}

// A press during a run supersedes it: the run stops at its next line, before its recording
// pass ends, and writes nothing. The window shows the busy-in-background pointer, over its
// edit boxes too, until every run has ended; then their usual pointer again.
TEST_F(EndToEndWin32, SupersededRunStopsAndTheBusyPointerShowsWhileRunsGo) {
  runWatch::holdNextRun();
  const int recordedBefore = runWatch::recordingsEnded;
  const int before = runsEnded;
  const HCURSOR busy = LoadCursorA(nullptr, IDC_APPSTARTING);
  EXPECT_EQ(pointerOverOutput(), LoadCursorA(nullptr, IDC_IBEAM));
  SendMessageA(input_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a,b\r\nc,d"));
  SendMessageA(controlNamed(window_, "单选框3"), BM_CLICK, 0, 0);
  SendMessageA(button_, BM_CLICK, 0, 0);
  pumpUntil([&] { return pointerOverOutput() == busy; });
  EXPECT_EQ(pointerOverOutput(), busy);
  SendMessageA(input_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x,y"));
  SendMessageA(button_, BM_CLICK, 0, 0);
  runWatch::releaseHeldRun();
  pumpUntil([&] { return runsEnded - before >= 2; });
  EXPECT_EQ(runWatch::recordingsEnded - recordedBefore, 1) << "the superseded run went on with its recording pass";
  EXPECT_EQ(windowText(output_), "+----+----+\r\n| x  | y  |\r\n+----+----+\r\n");
  EXPECT_EQ(pointerOverOutput(), LoadCursorA(nullptr, IDC_IBEAM));
}

// Puts text on the clipboard as a program copying it would, in UTF-16.
void copyToClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

std::string clipboardAnsiText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

// A person's habits, as in the Linux window: Tab types a tab; a pasted no-break space stays
// inside its cell as "?" (the same bytes the Linux test expects); Ctrl+A then Ctrl+C in the
// output box copies the whole table.
TEST_F(EndToEndWin32, TabsPastesAndSelectAll) {
  for (const char c : std::string("ab\tcd")) SendMessageA(input_, WM_CHAR, static_cast<unsigned char>(c), 0);
  EXPECT_EQ(windowText(input_), "ab\tcd");

  SendMessageA(input_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  copyToClipboard(L"\x5f20\x00a0\x4e09\x4e30 25\r\n\x674e\x56db 30");
  SendMessageA(input_, WM_PASTE, 0, 0);
  SendMessageA(controlNamed(window_, "单选框2"), BM_CLICK, 0, 0);
  const int before = runsEnded;
  SendMessageA(button_, BM_CLICK, 0, 0);
  pumpUntil([&] { return runsEnded - before >= 1; });
  const std::string table = "+----------+-----+\r\n| 张?三丰  | 25  |\r\n+----------+-----+\r\n| 李四     | 30  |\r\n"
                            "+----------+-----+\r\n";
  EXPECT_EQ(windowText(output_), table);

  PostMessageA(output_, WM_CHAR, 0x01, 0);  // Ctrl+A, as the keyboard queues it
  pumpMessages();
  DWORD start = 1;
  DWORD end = 0;
  SendMessageA(output_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, static_cast<DWORD>(platformCodePage().toUtf16(table).size())) << "the end, in characters";
  SendMessageA(output_, WM_CHAR, 0x03, 0);  // Ctrl+C
  EXPECT_EQ(clipboardAnsiText(), table);
}

// A paste with NULs in it: the box cannot hold a NUL, so each goes in as "?" and nothing after
// it is lost; the table is the Linux window's for the same paste. One undo takes it all back.
TEST_F(EndToEndWin32, PastedNulsGoInAsQuestionMarks) {
  copyToClipboard(std::wstring(L"a\0b,c\r\nd,\0\r\ne\0,f\0g", 18));
  SendMessageA(input_, WM_PASTE, 0, 0);
  EXPECT_EQ(windowText(input_), "a?b,c\r\nd,?\r\ne?,f?g");
  SendMessageA(controlNamed(window_, "单选框3"), BM_CLICK, 0, 0);
  const int before = runsEnded;
  SendMessageA(button_, BM_CLICK, 0, 0);
  pumpUntil([&] { return runsEnded - before >= 1; });
  EXPECT_EQ(windowText(output_), "+------+------+\r\n| a?b  | c    |\r\n+------+------+\r\n| d    | ?    |\r\n"
                                 "| e?   | f?g  |\r\n+------+------+\r\n");
  SendMessageA(input_, EM_UNDO, 0, 0);
  EXPECT_EQ(windowText(input_), "");

  copyToClipboard(L"x,y\r\n");  // no NUL inside: the system's own paste, trailing line break kept
  SendMessageA(input_, WM_PASTE, 0, 0);
  EXPECT_EQ(windowText(input_), "x,y\r\n");
}

}  // namespace
