// MainWindow as the real ui code creates it over USER32, driven with window messages under
// Wine: classes, styles, geometry, fonts, stacking, texts as GBK bytes, radio groups, clicks,
// and workers' control access carried to the main thread. Narrow literals here are GBK.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/window_system.h"
#include "tests/windows/gbk_grid.h"
#include "tests/windows/win32_window_support.h"
#include "ui/control_property.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"
#include "ui/main_window.h"

namespace {

using unitId::kMainWindow;

std::atomic<int> startClicks{0};
std::atomic<DWORD> clickThread{0};
void countStartClick() {
  ++startClicks;
  clickThread = GetCurrentThreadId();
}
const NamedHandler kHandlers[] = {{kStartButtonClickHandler, countStartClick}};

class MainWindowWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    startClicks = 0;
    ASSERT_TRUE(loadForm(MainWindow, kHandlers));
    ASSERT_TRUE(createForm(kMainWindow));
    const std::vector<HWND> windows = topLevelWindows(GetCurrentProcessId(), kWindowClass, "Cellbrae");
    ASSERT_EQ(windows.size(), 1u);
    window_ = windows.front();
  }
  void TearDown() override {
    destroyForm(kMainWindow);
    pumpMessages();
    EXPECT_FALSE(IsWindow(window_));
  }

  HWND control(const char* name) {
    HWND found = controlNamed(window_, name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  LRESULT check(const char* name) { return SendMessageA(control(name), BM_GETCHECK, 0, 0); }

  HWND window_ = nullptr;
};

// The file name of the module whose code is the window class's procedure, in lower case.
std::string procedureModule(HWND hwnd) {
  const auto procedure = reinterpret_cast<LPCSTR>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          procedure, &module)) {
    return {};
  }
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string name = path;
  name.erase(0, name.find_last_of('\\') + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

TEST_F(MainWindowWin32, WindowIsCentredFixedUnownedWithButtonFaceBackground) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT frame{};
  GetWindowRect(window_, &frame);
  const RECT centred{(screenWidth - 940) / 2, (screenHeight - 720) / 2, (screenWidth - 940) / 2 + 940,
                     (screenHeight - 720) / 2 + 720};
  EXPECT_EQ(describe(frame), describe(centred));
  EXPECT_EQ(windowText(window_), "Cellbrae");
  // No sizing border, no maximise box; the system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)),
            static_cast<DWORD>(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | WS_CLIPSIBLINGS));
  // WS_EX_WINDOWEDGE comes with every captioned window; never topmost, never a tool window.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE)), static_cast<DWORD>(WS_EX_WINDOWEDGE));
  EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(window_), nullptr);
  EXPECT_EQ(GetClassLongPtrA(window_, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  EXPECT_EQ(IsWindowUnicode(window_), FALSE);
}

// The icon the window shows, read back pixel by pixel from the system's copy.
TEST_F(MainWindowWin32, IconIsTheSmallTable) {
  auto icon = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 16;
  format.bmiHeader.biHeight = -16;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  uint32_t pixels[16 * 16] = {};
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, info.hbmColor, 0, 16, pixels, &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_EQ(rows, 16);
  auto at = [&](int x, int y) { return pixels[y * 16 + x]; };
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(at(x, 0) >> 24, 0u) << x;
    EXPECT_EQ(at(x, 14) >> 24, 0u) << x;
    EXPECT_EQ(at(x, 15) >> 24, 0u) << x;
    EXPECT_EQ(at(x, 1), 0xFF000000u) << x;
    EXPECT_EQ(at(x, 13), 0xFF000000u) << x;
  }
  EXPECT_EQ(at(1, 2), 0xFFC0C0C0u);   // header row
  EXPECT_EQ(at(12, 3), 0xFFC0C0C0u);
  EXPECT_EQ(at(2, 8), 0xFFC0C0C0u);   // header column
  EXPECT_EQ(at(7, 7), 0xFFFFFFFFu);   // a cell
  EXPECT_EQ(at(14, 12), 0xFFFFFFFFu);
  EXPECT_EQ(at(5, 8), 0xFF000000u);   // grid
}

struct ExpectedControl {
  const char* name;
  const char* parent;  // null: the window itself
  const char* windowClass;
  RECT placement;
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
// BM_SETCHECK moves a radio button's WS_TABSTOP with its check, so Tab reaches the checked
// one of the group: created with the tab stop, the two unchecked boxes lose it at once.
constexpr DWORD kRadioStyle = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_LEFT | BS_VCENTER;

const ExpectedControl kControls[] = {
    {"编辑框1", nullptr, "Edit", {0, 0, 930, 310}, kEditStyle, WS_EX_CLIENTEDGE},
    {"分组框1", nullptr, "Button", {0, 303, 288, 343}, WS_CHILD | WS_VISIBLE | BS_GROUPBOX | BS_LEFT, 0},
    {"单选框1", "分组框1", "Button", {8, 13, 88, 37}, kRadioStyle | WS_TABSTOP, 0},
    {"单选框2", "分组框1", "Button", {96, 13, 176, 37}, kRadioStyle, 0},
    {"单选框3", "分组框1", "Button", {186, 13, 266, 37}, kRadioStyle, 0},
    // Reaches past the client area (941 > 930 + frame), clipped by the window, as stored.
    {"按钮1", nullptr, "Button", {288, 310, 941, 340},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0},
    {"编辑框2", nullptr, "Edit", {0, 340, 930, 690}, kEditStyle, WS_EX_CLIENTEDGE},
};

TEST_F(MainWindowWin32, ControlsHaveTheirClassesStylesParentsAndGeometry) {
  EXPECT_EQ(descendants(window_).size(), 7u);
  for (const ExpectedControl& expected : kControls) {
    SCOPED_TRACE(expected.name);
    HWND hwnd = control(expected.name);
    if (hwnd == nullptr) continue;
    EXPECT_EQ(className(hwnd), expected.windowClass);
    EXPECT_EQ(GetParent(hwnd), expected.parent == nullptr ? window_ : control(expected.parent));
    EXPECT_EQ(describe(placement(hwnd)), describe(expected.placement));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), expected.style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)), expected.exStyle);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    // The manifest's common controls 6 are comctl32's Unicode windows; the group frame turns
    // ANSI when our procedure goes in front of its own, the edit boxes stay Unicode in front of
    // theirs. Texts still pass as GBK either way.
    EXPECT_EQ(procedureModule(hwnd), "comctl32.dll");
    EXPECT_EQ(IsWindowUnicode(hwnd), expected.name != std::string("分组框1"));
  }
  EXPECT_EQ(windowText(control("按钮1")), "字符表格");
  EXPECT_EQ(windowText(control("单选框1")), "tab");
  EXPECT_EQ(windowText(control("单选框2")), "空格");
  EXPECT_EQ(windowText(control("单选框3")), "英文逗号");
  EXPECT_EQ(windowText(control("分组框1")), "");
  // EM_LIMITTEXT 0: no limit short of the platform's maximum.
  EXPECT_EQ(static_cast<DWORD>(SendMessageA(control("编辑框1"), EM_GETLIMITTEXT, 0, 0)), 0xFFFFFFFFu);
  EXPECT_EQ(static_cast<DWORD>(SendMessageA(control("编辑框2"), EM_GETLIMITTEXT, 0, 0)), 0xFFFFFFFFu);
}

TEST_F(MainWindowWin32, StackingOrderFollowsTheRecords) {
  EXPECT_EQ(stackingOrder(window_), (std::vector<std::string>{"分组框1", "按钮1", "编辑框2", "编辑框1"}));
  EXPECT_EQ(stackingOrder(control("分组框1")), (std::vector<std::string>{"单选框3", "单选框2", "单选框1"}));
}

// The face a control's font really got from the system, with the record it was made from.
struct UsedFont {
  LOGFONTA record{};
  std::string face;
  SIZE ascii{};
  SIZE cjk{};
};

UsedFont usedFont(HWND control) {
  UsedFont used;
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  GetObjectA(font, sizeof used.record, &used.record);
  HDC screen = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(screen, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(screen, sizeof face, face);
  used.face = face;
  GetTextExtentPoint32W(screen, L"a", 1, &used.ascii);
  GetTextExtentPoint32W(screen, L"\x6587", 1, &used.cjk);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return used;
}

int CALLBACK noteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM flag) {
  *reinterpret_cast<bool*>(flag) = true;
  return 0;
}

bool songTiInstalled() {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::string("宋体").copy(query.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &query, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

TEST_F(MainWindowWin32, StoredFontsKeepTheirRecordAndTheTableLinesUp) {
  // Windows has "宋体"; Wine has no such face and would substitute a proportional one, so the
  // grid font built into the program stands in.
  const std::string face = songTiInstalled() ? "宋体" : "Cellbrae Grid";
  struct Stored {
    const char* name;
    LONG height;
    LONG weight;
  };
  for (const Stored& stored : {Stored{"按钮1", -19, 700}, Stored{"编辑框2", -14, 400}}) {
    SCOPED_TRACE(stored.name);
    const UsedFont used = usedFont(control(stored.name));
    EXPECT_EQ(used.record.lfHeight, stored.height);
    EXPECT_EQ(used.record.lfWeight, stored.weight);
    EXPECT_EQ(used.record.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(used.record.lfQuality, PROOF_QUALITY);
    EXPECT_EQ(used.record.lfOutPrecision, 0);
    EXPECT_EQ(used.record.lfClipPrecision, 0);
    EXPECT_EQ(used.record.lfPitchAndFamily, 0);
    EXPECT_EQ(used.record.lfItalic, 0);
    EXPECT_EQ(std::string(used.record.lfFaceName), face);
    EXPECT_EQ(used.face, face);
  }
  // The table in the output box lines up: a Chinese character is two ASCII advances.
  const UsedFont output = usedFont(control("编辑框2"));
  EXPECT_GT(output.ascii.cx, 0);
  EXPECT_EQ(output.cjk.cx, 2 * output.ascii.cx);
  const auto defaultGui = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const char* name : {"编辑框1", "分组框1", "单选框1", "单选框2", "单选框3"}) {
    EXPECT_EQ(static_cast<WPARAM>(SendMessageA(control(name), WM_GETFONT, 0, 0)), defaultGui) << name;
  }
}

// Moved to a monitor of another DPI, the window takes the system's suggested rectangle and
// draws its controls and fonts from the description again at that DPI, edge by edge; back at
// 96 dpi it is exactly as it opened. Wine gives every screen one DPI, so the system's message
// is sent here by hand.
TEST_F(MainWindowWin32, AnotherMonitorsDpiScalesTheLayoutAgain) {
  RECT opened{};
  GetWindowRect(window_, &opened);
  const auto moveTo = [&](int dpi) {
    RECT suggested{opened.left, opened.top, opened.left + MulDiv(940, dpi, 96), opened.top + MulDiv(720, dpi, 96)};
    SendMessageA(window_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  };
  const auto height = [&](const char* name) { return usedFont(control(name)).record.lfHeight; };
  LOGFONTA defaultGui{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof defaultGui, &defaultGui);

  moveTo(120);
  RECT frame{};
  GetWindowRect(window_, &frame);
  EXPECT_EQ(describe(frame), describe({opened.left, opened.top, opened.left + 1175, opened.top + 900}));
  EXPECT_EQ(describe(placement(control("按钮1"))), describe({360, 388, 1176, 425}));
  EXPECT_EQ(describe(placement(control("编辑框2"))), describe({0, 425, 1163, 863}));
  EXPECT_EQ(describe(placement(control("分组框1"))), describe({0, 379, 360, 429}));
  EXPECT_EQ(describe(placement(control("单选框3"))), describe({233, 16, 333, 46}));
  // The grid fonts at the nearest even height (17.5 and 23.75 scaled), the rest scaled.
  EXPECT_EQ(height("编辑框2"), -18);
  EXPECT_EQ(height("按钮1"), -24);
  EXPECT_EQ(height("编辑框1"), MulDiv(defaultGui.lfHeight, 120, 96));
  EXPECT_EQ(height("单选框3"), MulDiv(defaultGui.lfHeight, 120, 96));
  const UsedFont output = usedFont(control("编辑框2"));
  EXPECT_EQ(output.ascii.cx, 9);
  EXPECT_EQ(output.cjk.cx, 18);

  moveTo(96);
  GetWindowRect(window_, &frame);
  EXPECT_EQ(describe(frame), describe(opened));
  for (const ExpectedControl& expected : kControls) {
    EXPECT_EQ(describe(placement(control(expected.name))), describe(expected.placement)) << expected.name;
  }
  EXPECT_EQ(height("编辑框2"), -14);
  EXPECT_EQ(height("按钮1"), -19);
  EXPECT_EQ(static_cast<WPARAM>(SendMessageA(control("编辑框1"), WM_GETFONT, 0, 0)),
            reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)));
}

// Every character code page 936 can put into a table, measured in the output box's own font:
// printable ASCII and the euro sign (0x80) one cell, every double-byte character two.
TEST_F(MainWindowWin32, OutputBoxDrawsEveryGbkCharacterOnTheGrid) {
  const GbkGridWalk walk = walkGbkGrid(control("编辑框2"));
  EXPECT_EQ(walk.cell, 7);
  EXPECT_GE(walk.walked, 21791);
  EXPECT_EQ(walk.offGrid.size(), 0u) << "code points off the grid: " << walk.shown();
  std::printf("%d double-byte characters walked\n", walk.walked);
}

TEST_F(MainWindowWin32, UsageTextReadsBackAsGbkBytes) {
  EXPECT_EQ(windowText(control("编辑框2")), kUsageTextGbk);
  // "序号" in code page 936, and the full-width colon.
  EXPECT_NE(kUsageTextGbk.find("\xD0\xF2\xBA\xC5 "), std::string::npos);
  EXPECT_NE(kUsageTextGbk.find("\xCA\xBE\xC0\xFD\xA3\xBA\r\n"), std::string::npos);
  EXPECT_EQ(SendMessageA(control("编辑框2"), EM_GETLINECOUNT, 0, 0), 14);  // 13 lines and the empty last one
  EXPECT_EQ(readContent(kMainWindow, unitId::kEditBox2).view(), kUsageTextGbk);
  // The caret starts at 0.
  DWORD start = 1;
  DWORD end = 1;
  SendMessageA(control("编辑框2"), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(SendMessageA(control("编辑框1"), WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_TRUE(readContent(kMainWindow, unitId::kEditBox1).isNull());
}

TEST_F(MainWindowWin32, LineBreaksPassBothWaysUnchanged) {
  const std::string typed = "序号\t字段名\r\n1\tfile\r\n\r\n";
  SendMessageA(control("编辑框1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  EXPECT_EQ(readContent(kMainWindow, unitId::kEditBox1).view(), typed);

  writeContent(kMainWindow, unitId::kEditBox2, "+--+\r\n|文|\r\n+--+\r\n");
  EXPECT_EQ(windowText(control("编辑框2")), "+--+\r\n|文|\r\n+--+\r\n");
  EXPECT_EQ(SendMessageA(control("编辑框2"), EM_GETLINECOUNT, 0, 0), 4);

  // A long line stays one line: the box scrolls sideways instead of wrapping.
  const std::string wide(5000, 'x');
  writeContent(kMainWindow, unitId::kEditBox2, wide.c_str());
  EXPECT_EQ(SendMessageA(control("编辑框2"), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(windowText(control("编辑框2")), wide);

  writeContent(kMainWindow, unitId::kEditBox2, "");
  EXPECT_EQ(SendMessageA(control("编辑框2"), WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_TRUE(readContent(kMainWindow, unitId::kEditBox2).isNull());
}

// Typed characters reach the box as the keyboard gives them: Tab as a tab (the separator
// users type), Enter as a line break, and a composed Chinese character as one UTF-16 unit
// that the ANSI box keeps as its two GBK bytes. (Wine's ANSI edit control turns each byte of
// a GBK pair sent as two ANSI WM_CHARs into "?"; the UTF-16 path is the one it keeps.)
TEST_F(MainWindowWin32, TypingKeepsTabsLineBreaksAndChineseCharacters) {
  HWND input = control("编辑框1");
  SetFocus(input);
  for (unsigned char typed : std::string("1\tfile\r2\t")) PostMessageA(input, WM_CHAR, typed, 1);
  pumpMessages();
  for (wchar_t typed : std::wstring(L"\x6587\x4EF6")) SendMessageW(input, WM_CHAR, typed, 1);
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "1\tfile\r\n2\t文件");
  EXPECT_EQ(SendMessageA(input, EM_GETLINECOUNT, 0, 0), 2);
}

// Keys as the keyboard gives them, through the system's input queue to the focused control.
void sendKey(WORD key, bool down, bool keypad = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (keypad ? KEYEVENTF_EXTENDEDKEY : 0);
  SendInput(1, &input, sizeof input);
}

// Presses key (with Ctrl or Shift held when asked) and lets the window take it.
void pressKey(WORD key, WORD held = 0, bool keypad = false) {
  if (held != 0) sendKey(held, true);
  sendKey(key, true, keypad);
  sendKey(key, false, keypad);
  if (held != 0) sendKey(held, false);
  pumpMessages();
}

// The window opens ready for typing: the focus is in the input box, and comes back there
// when the person leaves the window and returns to it.
TEST_F(MainWindowWin32, FocusStartsInTheInputBoxAndReturnsThere) {
  pumpMessages();
  EXPECT_EQ(GetFocus(), control("编辑框1"));
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  SetActiveWindow(other);
  EXPECT_EQ(GetActiveWindow(), other);
  SetActiveWindow(window_);
  EXPECT_EQ(GetFocus(), control("编辑框1"));
  DestroyWindow(other);
}

// Enter (either Enter key) presses the button that has the focus, as Space does, once however
// long it is held; Shift+Enter does not.
TEST_F(MainWindowWin32, EnterPressesTheFocusedButton) {
  SetForegroundWindow(window_);
  HWND button = control("按钮1");
  SetFocus(button);
  pressKey(VK_RETURN);
  EXPECT_EQ(startClicks, 1);
  pressKey(VK_RETURN, 0, true);
  EXPECT_EQ(startClicks, 2);
  pressKey(VK_SPACE);
  EXPECT_EQ(startClicks, 3);
  sendKey(VK_RETURN, true);
  sendKey(VK_RETURN, true);
  sendKey(VK_RETURN, true);
  sendKey(VK_RETURN, false);
  pumpMessages();
  EXPECT_EQ(startClicks, 4) << "held down, Enter presses once";
  pressKey(VK_RETURN, VK_SHIFT);
  EXPECT_EQ(startClicks, 4);
  EXPECT_EQ(GetFocus(), button);
  EXPECT_EQ(clickThread, GetCurrentThreadId());
}

// Ctrl+Enter in the input box presses "字符表格" and leaves the box as it was, the focus in
// it; Enter alone breaks the line. The output box has no such key.
TEST_F(MainWindowWin32, CtrlEnterInTheInputBoxPressesTheButton) {
  SetForegroundWindow(window_);
  HWND input = control("编辑框1");
  SetFocus(input);
  for (unsigned char typed : std::string("a b")) PostMessageA(input, WM_CHAR, typed, 1);
  pressKey(VK_RETURN, VK_CONTROL);
  EXPECT_EQ(startClicks, 1);
  pressKey(VK_RETURN, VK_CONTROL, true);
  EXPECT_EQ(startClicks, 2);
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "a b");
  EXPECT_EQ(GetFocus(), input);
  pressKey(VK_RETURN);
  EXPECT_EQ(std::string(readContent(kMainWindow, unitId::kEditBox1).view()), "a b\r\n");

  SetFocus(control("编辑框2"));
  pressKey(VK_RETURN, VK_CONTROL);
  EXPECT_EQ(startClicks, 2);
}

// The button as it draws itself: its client area's pixels.
std::vector<uint32_t> drawnPixels(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  const auto* first = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> pixels(first, first + static_cast<size_t>(client.right) * client.bottom);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The button shows that it has the focus, however the focus came to it.
TEST_F(MainWindowWin32, FocusedButtonShowsItsFocus) {
  HWND button = control("按钮1");
  const std::vector<uint32_t> unfocused = drawnPixels(button);
  ASSERT_FALSE(unfocused.empty());
  SetFocus(button);
  EXPECT_NE(drawnPixels(button), unfocused);
  SetFocus(control("编辑框1"));
  EXPECT_EQ(drawnPixels(button), unfocused);
}

// The clipboard's text, and its bytes in the format registered under name; "<none>" when
// the clipboard does not hold it.
std::wstring clipboardText() {
  std::wstring text = L"<none>";
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

std::string clipboardBytes(const char* name) {
  std::string bytes = "<none>";
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(RegisterClipboardFormatA(name))) {
    bytes = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

// The system's HTML clipboard text around a fragment, its offsets counted by hand.
std::string htmlFormat(const std::string& fragment) {
  const std::string header =
      "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:%\r\nStartFragment:0000000139\r\nEndFragment:#\r\n";
  std::string text = header + "<html><body>\r\n<!--StartFragment-->" + fragment + "<!--EndFragment-->\r\n</body></html>";
  char number[11];
  std::snprintf(number, sizeof number, "%010zu", 139 + fragment.size());
  text.replace(text.find('#'), 1, number);
  std::snprintf(number, sizeof number, "%010zu", text.size() + 9);
  text.replace(text.find('%'), 1, number);
  return text;
}

// A copy from the output box, by its keys or by its context menu's Copy (WM_COPY), holds the
// box's text as the system put it there, and HTML: one <pre> in a monospace font list led by
// the box's grid font. The input box's font is proportional: the list alone.
TEST_F(MainWindowWin32, CopyOffersTextAndOnePreInMonospaceFonts) {
  const std::string families =
      "'NSimSun', 'SimSun', 'Sarasa Mono SC', 'Noto Sans Mono CJK SC', 'WenQuanYi Zen Hei Mono', monospace";
  const std::string grid = songTiInstalled() ? "\xE5\xAE\x8B\xE4\xBD\x93" : "Cellbrae Grid";  // 宋体 in UTF-8
  SetForegroundWindow(window_);
  HWND output = control("编辑框2");
  writeContent(kMainWindow, unitId::kEditBox2, "| 1 | <&> |\r\n");
  SetFocus(output);
  SendMessageA(output, EM_SETSEL, 0, -1);
  pressKey('C', VK_CONTROL);
  EXPECT_EQ(clipboardText(), L"| 1 | <&> |\r\n");
  const std::string pre = "<pre style=\"font-family: '" + grid + "', " + families + "\">| 1 | &lt;&amp;&gt; |\r\n</pre>";
  EXPECT_EQ(clipboardBytes("HTML Format"), htmlFormat(pre));

  HWND input = control("编辑框1");
  writeContent(kMainWindow, unitId::kEditBox1, "文件\t\"x\"");
  SendMessageA(input, EM_SETSEL, 0, -1);
  SendMessageA(input, WM_COPY, 0, 0);
  pumpMessages();
  EXPECT_EQ(clipboardText(), L"\x6587\x4EF6\t\"x\"");
  EXPECT_EQ(clipboardBytes("HTML Format"),
            htmlFormat("<pre style=\"font-family: " + families + "\">\xE6\x96\x87\xE4\xBB\xB6\t&quot;x&quot;</pre>"));
}

TEST_F(MainWindowWin32, RadioBoxesFormOneGroupAndClickNothingElse) {
  EXPECT_EQ(check("单选框1"), BST_CHECKED);
  EXPECT_EQ(check("单选框2"), BST_UNCHECKED);
  EXPECT_EQ(check("单选框3"), BST_UNCHECKED);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox1), 1);

  SendMessageA(control("单选框3"), BM_CLICK, 0, 0);
  EXPECT_EQ(check("单选框1"), BST_UNCHECKED);
  EXPECT_EQ(check("单选框2"), BST_UNCHECKED);
  EXPECT_EQ(check("单选框3"), BST_CHECKED);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox1), 0);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox2), 0);

  EXPECT_EQ(GetWindowLongPtrA(control("单选框3"), GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);
  EXPECT_EQ(GetWindowLongPtrA(control("单选框1"), GWL_STYLE) & WS_TABSTOP, 0);

  SendMessageA(control("单选框2"), BM_CLICK, 0, 0);
  EXPECT_EQ(check("单选框2"), BST_CHECKED);
  EXPECT_EQ(check("单选框3"), BST_UNCHECKED);
  EXPECT_EQ(readChecked(kMainWindow, unitId::kRadioBox2), 1);

  writeChecked(kMainWindow, unitId::kRadioBox1, 1);
  EXPECT_EQ(check("单选框1"), BST_CHECKED);
  EXPECT_EQ(startClicks, 0);
}

TEST_F(MainWindowWin32, ButtonClickReachesItsHandlerOnTheMainThread) {
  for (int i = 0; i < 3; ++i) SendMessageA(control("按钮1"), BM_CLICK, 0, 0);
  EXPECT_EQ(startClicks, 3);
  EXPECT_EQ(clickThread, GetCurrentThreadId());
}

// Two workers, each with its own box, while the main thread pumps messages: every access
// runs on the main thread and each worker reads back exactly what it wrote.
TEST_F(MainWindowWin32, WorkersRoundTripThroughTheMainThread) {
  constexpr int kRoundTrips = 200;
  std::atomic<int> finished{0};
  std::atomic<int> mismatches{0};
  std::atomic<int> offMainThread{0};
  const DWORD mainThread = GetCurrentThreadId();
  auto work = [&](uint32_t box, char mark) {
    for (int i = 0; i < kRoundTrips; ++i) {
      const std::string text = std::string(1, mark) + "第" + std::to_string(i) + "行\r\n";
      writeContent(kMainWindow, box, text.c_str());
      if (readContent(kMainWindow, box).view() != text) ++mismatches;
      runOnMainThread([&] {
        if (GetCurrentThreadId() != mainThread || !isMainThread()) ++offMainThread;
      });
    }
    runOnMainThread([&] { ++finished; });
  };
  std::thread first(work, unitId::kEditBox1, 'a');
  std::thread second(work, unitId::kEditBox2, 'b');
  pumpUntil([&] { return finished == 2; });
  first.join();
  second.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(offMainThread, 0);
  EXPECT_EQ(windowText(control("编辑框1")), "a第199行\r\n");
  EXPECT_EQ(windowText(control("编辑框2")), "b第199行\r\n");
}

const WindowSystem& windows() { return platformWindowSystem(); }

// A push button moved into a group frame: its click goes to the frame, which passes it on.
TEST(WindowSystemWin32, ButtonInsideGroupFrameReachesItsHandler) {
  PlatformControl* window = windows().createWindow(WindowSpec{u"框内", 10, 10, 300, 200, nullptr, 0, 0});
  ASSERT_NE(window, nullptr);
  PlatformControl* frame = windows().createControl(window, ControlSpec{ControlKind::GroupFrame, u"框", u"", 0, 0, 200, 100});
  PlatformControl* button = windows().createControl(window, ControlSpec{ControlKind::PushButton, u"钮", u"按", 10, 20, 80, 30});
  windows().setParent(button, frame);
  int clicks = 0;
  windows().setClickHandler(button, [](void* count) { ++*static_cast<int*>(count); }, &clicks);
  HWND hwnd = topLevelWindows(GetCurrentProcessId(), kWindowClass, "框内").at(0);
  HWND buttonHwnd = controlNamed(hwnd, "钮");
  ASSERT_NE(buttonHwnd, nullptr);
  EXPECT_EQ(controlName(GetParent(buttonHwnd)), "框");
  SendMessageA(buttonHwnd, BM_CLICK, 0, 0);
  SendMessageA(buttonHwnd, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);
  windows().destroyWindow(window);
  EXPECT_FALSE(windows().isAlive(button));
  EXPECT_FALSE(windows().isAlive(window));
  // A destroyed control reads as empty and ignores writes.
  windows().setText(button, u"x");
  EXPECT_EQ(windows().text(button), u"");
  EXPECT_FALSE(windows().isChecked(button));
}

// The box is the system's own: no owner, the error icon, the text as given, and it returns
// once OK is pressed.
TEST(WindowSystemWin32, ErrorBoxIsTheSystemsWithTheErrorIconAndNoOwner) {
  std::string caption;
  std::string text;
  HWND owner = reinterpret_cast<HWND>(1);
  bool errorIcon = false;
  std::thread presser([&] {
    HWND box = nullptr;
    while (box == nullptr) {
      Sleep(10);
      const std::vector<HWND> found = topLevelWindows(GetCurrentProcessId(), "#32770", nullptr);
      if (!found.empty() && IsWindowVisible(found.front())) box = found.front();
    }
    caption = windowText(box);
    owner = GetWindow(box, GW_OWNER);
    for (HWND child : descendants(box)) {
      if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && className(child) == "Static") {
        errorIcon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == LoadIconA(nullptr, IDI_ERROR);
      }
    }
    text = windowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  windows().showErrorBox(u"错误", u"第一行\r\n\r\n第三行 100%\r\n");
  presser.join();
  EXPECT_EQ(caption, "错误");
  EXPECT_EQ(text, "第一行\r\n\r\n第三行 100%\r\n");
  EXPECT_EQ(owner, nullptr);
  EXPECT_TRUE(errorIcon);
}

// WM_CLOSE ends the loop with 0; from then on a worker's call is refused without running.
TEST(WindowSystemWin32, CloseEndsTheLoopAndLaterCallsAreRefused) {
  PlatformControl* window = windows().createWindow(WindowSpec{u"关闭", 10, 10, 300, 200, nullptr, 0, 0});
  ASSERT_NE(window, nullptr);
  windows().createControl(window, ControlSpec{ControlKind::PushButton, u"只在关闭窗口里", u"", 0, 0, 10, 10});
  windows().setVisible(window, true);
  HWND hwnd = topLevelWindows(GetCurrentProcessId(), kWindowClass, "关闭").at(0);
  EXPECT_NE(controlNamed(hwnd, "只在关闭窗口里"), nullptr);
  std::mutex lock;
  std::condition_variable changed;
  bool loopEnded = false;
  int ran = 0;  // only touched on the main thread
  bool lateCallTaken = true;
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) windows().callOnMainThread([](void* count) { ++*static_cast<int*>(count); }, &ran);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return loopEnded; });
    lateCallTaken = windows().callOnMainThread([](void* count) { ++*static_cast<int*>(count); }, &ran);
  });
  EXPECT_EQ(windows().runLoop(), 0);
  {
    std::lock_guard guard(lock);
    loopEnded = true;
  }
  changed.notify_one();
  worker.join();
  EXPECT_EQ(ran, 50);
  EXPECT_FALSE(lateCallTaken);
  EXPECT_FALSE(windows().isAlive(window));
  EXPECT_FALSE(windows().callOnMainThread([](void*) {}, nullptr));
  // The loop refuses to run without a window, and the window system starts afresh.
  EXPECT_EQ(windows().runLoop(), 0);
  EXPECT_NE(GlobalFindAtomA("只在关闭窗口里"), 0);
  windows().stop();
  // Control names are global atoms, which would outlive the process: stopping gives them back.
  EXPECT_EQ(GlobalFindAtomA("只在关闭窗口里"), 0);
  int argc = 0;
  ASSERT_TRUE(windows().start(&argc, nullptr));
  EXPECT_TRUE(windows().callOnMainThread([](void* count) { ++*static_cast<int*>(count); }, &ran));
  EXPECT_EQ(ran, 51);
}

}  // namespace
