// MainWindow at the display scales people set (LogPixels 96 to 192 dpi): every control inside
// the client area, every caption whole, the fonts scaled with the rest and the output box on
// its grid. The system reads its DPI once per process, so each scale runs in a child process
// of this program, started after the scale is set for the user. Narrow literals here are GBK.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/windows/child_process.h"
#include "tests/windows/gbk_grid.h"
#include "tests/windows/win32_window_support.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"
#include "ui/window_session.h"

namespace {

// The DPI a child runs at; 0 in the parent run.
int childDpi = 0;

void noClick() {}
const NamedHandler kHandlers[] = {{kStartButtonClickHandler, noClick}};

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kChildFlag[] = "--at-dpi=";

// The user's display scale as the system reads it when a process starts; restored (or
// removed, as a fresh prefix has none) when the test ends.
class DisplayScaleSetting {
 public:
  DisplayScaleSetting() {
    DWORD size = sizeof saved_;
    hadOne_ = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved_, &size) ==
              ERROR_SUCCESS;
  }
  ~DisplayScaleSetting() {
    if (hadOne_) {
      set(saved_);
    } else {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
    }
  }
  DisplayScaleSetting(const DisplayScaleSetting&) = delete;
  DisplayScaleSetting& operator=(const DisplayScaleSetting&) = delete;

  static bool set(DWORD dpi) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
  }

 private:
  DWORD saved_ = 0;
  bool hadOne_ = false;
};

TEST(WindowScale, EveryScaleShowsEveryControlAndCaptionWhole) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const DisplayScaleSetting restore;
  for (const DWORD dpi : {96, 120, 144, 168, 192}) {
    SCOPED_TRACE(dpi);
    ASSERT_TRUE(DisplayScaleSetting::set(dpi));
    Child child(self, std::string(kChildFlag) + std::to_string(dpi));
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.exitCode(), 0u) << "the run at " << dpi << " dpi failed (its report is above)";
  }
}

// What one scale gives: the fonts' character heights, and whether the window (940x720 at
// 96 dpi) still fits the test's 1280x1024 screen or is made to fit it.
struct Scale {
  int dpi;
  LONG outputHeight;  // on the grid: the nearest even height to 14 * dpi / 96
  LONG buttonHeight;  // the same rule from 19
  bool fitsScreen;
};
constexpr Scale kScales[] = {
    {96, -14, -19, true}, {120, -18, -24, true}, {144, -22, -28, false}, {168, -24, -34, false}, {192, -28, -38, false},
};

const Scale* scaleOf(int dpi) {
  for (const Scale& scale : kScales) {
    if (scale.dpi == dpi) return &scale;
  }
  return nullptr;
}

int scaled(int layout, int dpi) { return MulDiv(layout, dpi, 96); }

class AtOneScale : public ::testing::Test {
 protected:
  void SetUp() override {
    scale_ = scaleOf(childDpi);
    ASSERT_NE(scale_, nullptr) << childDpi;
    ASSERT_TRUE(loadForm(MainWindow, kHandlers));
    ASSERT_TRUE(createForm(unitId::kMainWindow));
    const std::vector<HWND> windows = topLevelWindows(GetCurrentProcessId(), kWindowClass, "Cellbrae");
    ASSERT_EQ(windows.size(), 1u);
    window_ = windows.front();
    GetClientRect(window_, &client_);
  }
  void TearDown() override {
    destroyForm(unitId::kMainWindow);
    pumpMessages();
  }

  HWND control(const char* name) {
    HWND found = controlNamed(window_, name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // The caption's extent in the control's own font.
  static SIZE captionExtent(HWND control) {
    const std::string caption = windowText(control);
    HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent;
  }

  static LOGFONTA fontRecord(HWND control) {
    LOGFONTA record{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof record, &record);
    return record;
  }

  const Scale* scale_ = nullptr;
  HWND window_ = nullptr;
  RECT client_{};
};

TEST_F(AtOneScale, WindowAndControlsAreScaledAndInsideTheClientArea) {
  const int dpi = scale_->dpi;
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the system did not take the scale";
  ReleaseDC(nullptr, screen);
  RECT frame{};
  GetWindowRect(window_, &frame);
  // Taller than the screen, the window is made as tall as the whole 96 dpi pixels the screen
  // holds, and no wider than the system makes a window (the screen and a frame), the boxes
  // giving the room; it goes to the screen's top left corner.
  const int largest = GetSystemMetrics(SM_CXMAXTRACK);
  EXPECT_EQ(frame.right - frame.left, scaled(std::min(940, largest * 96 / dpi), dpi));
  EXPECT_LE(frame.right - frame.left, largest);
  const int height = scale_->fitsScreen ? scaled(720, dpi) : scaled(1024 * 96 / dpi, dpi);
  EXPECT_EQ(frame.bottom - frame.top, height);
  EXPECT_LE(frame.bottom, 1024);
  // Centred in 96 dpi pixels: within a row of the centre.
  EXPECT_LE(std::abs(frame.top - (scale_->fitsScreen ? (1024 - height) / 2 : 0)), 1);
  for (const char* name : {"编辑框1", "分组框1", "按钮1", "编辑框2"}) {
    SCOPED_TRACE(name);
    const RECT at = placement(control(name));
    EXPECT_GE(at.left, 0);
    EXPECT_GE(at.top, 0);
    EXPECT_LE(at.bottom, client_.bottom) << describe(at) << " in " << describe(client_);
    if (std::string(name) != "按钮1") {
      EXPECT_LE(at.right, client_.right) << describe(at) << " in " << describe(client_);
    }
  }
  // The button reaches past the edit boxes and under the frame as described (to 941 where
  // they end at 930), by no more at any scale.
  EXPECT_LE(placement(control("按钮1")).right - placement(control("编辑框2")).right, scaled(11, dpi) + 1);
  RECT group{};
  GetClientRect(control("分组框1"), &group);
  for (const char* name : {"单选框1", "单选框2", "单选框3"}) {
    const RECT at = placement(control(name));
    EXPECT_LE(at.right, group.right) << name;
    EXPECT_LE(at.bottom, group.bottom) << name;
  }
  // Whatever the boxes give, the row between them keeps its size and the output box meets the
  // button as at 96 dpi.
  EXPECT_EQ(placement(control("分组框1")).bottom - placement(control("分组框1")).top, scaled(40, dpi));
  EXPECT_EQ(placement(control("按钮1")).bottom, placement(control("编辑框2")).top);
}

TEST_F(AtOneScale, EveryCaptionIsWhole) {
  for (const char* name : {"单选框1", "单选框2", "单选框3"}) {
    SCOPED_TRACE(name);
    HWND box = control(name);
    const RECT at = placement(box);
    // The box's own measure of its mark, the gap and the caption.
    SIZE ideal{};
    ASSERT_TRUE(SendMessageA(box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_LE(ideal.cx, at.right - at.left) << windowText(box);
    EXPECT_LE(ideal.cy, at.bottom - at.top);
  }
  // The button's caption on one line (it would wrap rather than be cut) inside its edges, in
  // the part of the button the window shows; its characters, the line less its leading, fit
  // between the top and bottom edges.
  HWND button = control("按钮1");
  const RECT at = placement(button);
  const SIZE caption = captionExtent(button);
  EXPECT_LE(caption.cx + 2 * (GetSystemMetrics(SM_CXEDGE) + 1), std::min<LONG>(at.right, client_.right) - at.left);
  HDC dc = GetDC(button);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(button, dc);
  EXPECT_LE(metrics.tmHeight - metrics.tmInternalLeading + 2 * GetSystemMetrics(SM_CYEDGE), at.bottom - at.top);
}

TEST_F(AtOneScale, FontsScaleAndTheOutputBoxKeepsItsGrid) {
  // The default GUI font is the system's, made for this scale.
  const auto defaultGui = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const char* name : {"编辑框1", "分组框1", "单选框1", "单选框2", "单选框3"}) {
    EXPECT_EQ(static_cast<WPARAM>(SendMessageA(control(name), WM_GETFONT, 0, 0)), defaultGui) << name;
  }
  EXPECT_EQ(fontRecord(control("编辑框2")).lfHeight, scale_->outputHeight);
  EXPECT_EQ(fontRecord(control("按钮1")).lfHeight, scale_->buttonHeight);
  EXPECT_EQ(fontRecord(control("按钮1")).lfWeight, 700);

  // Every character the table can hold on the grid, at this scale's cell.
  const GbkGridWalk walk = walkGbkGrid(control("编辑框2"));
  EXPECT_EQ(walk.cell, -scale_->outputHeight / 2);
  EXPECT_GE(walk.walked, 21791);
  EXPECT_EQ(walk.offGrid.size(), 0u) << "code points off the grid: " << walk.shown();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kChildFlag, std::strlen(kChildFlag)) == 0) childDpi = std::atoi(argv[i] + std::strlen(kChildFlag));
  }
  // The parent only starts the children; each child runs the checks at its own scale.
  ::testing::GTEST_FLAG(filter) = childDpi != 0 ? "AtOneScale.*" : "WindowScale.*";
  if (childDpi != 0 && !startWindowSystem(argc, argv)) return 2;
  const int result = RUN_ALL_TESTS();
  if (childDpi != 0) stopWindowSystem();
  return result;
}
