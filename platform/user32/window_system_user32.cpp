// The window system over USER32 and GDI32: one ANSI window class of our own for the
// top-level window, the system's EDIT and BUTTON classes for the controls (the common
// controls 6 ones, which the program's manifest asks for), texts passed in the ANSI code page
// through the A messages, and the loop as GetMessage and DispatchMessage.
// A control's name is kept as a global atom in its window property "CellbraeName", so
// tests and tools in any process can find it among the window's children.
// Geometry and font heights come in pixels at 96 dpi; each control keeps them as given and is
// drawn from them at its window's DPI, again whenever the window moves to a monitor of another.
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/out_of_memory.h"
#include "platform/user32/copy_flavours.h"
#include "platform/user32/display_scale.h"
#include "platform/user32/font_choice.h"
#include "platform/user32/main_thread_window.h"
#include "platform/user32/window_icon.h"
#include "platform/window_system.h"

struct PlatformControl {
  HWND hwnd = nullptr;
  PlatformControl* window = nullptr;  // the top-level window holding it; itself for a window
  bool topLevel = false;
  bool destroyed = false;  // a top-level window's own record; controls go with their window
  ControlKind kind = ControlKind::MultiLineEdit;
  PlatformCall clickHandler = nullptr;
  void* clickContext = nullptr;
  WNDPROC systemProc = nullptr;  // a group frame's or edit box's own procedure, which ours passes on to
  ATOM nameAtom = 0;
  HICON icon = nullptr;
  bool busy = false;  // a top-level window: shows the busy pointer over itself and its controls
  HWND focus = nullptr;  // a top-level window: the control to give the focus when it is activated
  HWND ctrlEnterButton = nullptr;  // an edit box: the button Ctrl+Enter in it clicks
  int dpi = user32backend::kLayoutDpi;  // a top-level window: the DPI it is drawn at
  // A control: its geometry in its parent's client area and its font, as given (96 dpi).
  int32_t left = 0, top = 0, width = 0, height = 0;
  std::u16string fontFamily;
  int32_t fontHeight = 0, fontWeight = 0;
  bool hasFont = false;
};

// An ANSI edit box holds the program's own bytes: its text needs no conversion either way.
struct PlatformText {
  std::string bytes;
};
struct PlatformTextPiece {
  std::string bytes;
};

namespace {

using user32backend::mainThreadGate;
using user32backend::toScreen;

bool isMainThread() { return mainThreadGate.isMainThread(); }
bool callOnMainThread(PlatformCall call, void* context) { return mainThreadGate.call(call, context); }

constexpr char kWindowClass[] = "CellbraeWindow";
constexpr char kNameProperty[] = "CellbraeName";

struct Backend {
  HINSTANCE instance = nullptr;
  bool classRegistered = false;
  std::vector<std::unique_ptr<PlatformControl>> controls;
};
Backend backend;

std::string ansi(std::u16string_view text) { return platformCodePage().toAnsi(text); }

PlatformControl* controlOf(HWND hwnd) {
  for (const auto& control : backend.controls) {
    if (control->hwnd == hwnd) return control.get();
  }
  return nullptr;
}

bool isAlive(PlatformControl* control) {
  return control != nullptr && !control->window->destroyed && IsWindow(control->hwnd);
}

bool anyWindowAlive() {
  for (const auto& control : backend.controls) {
    if (control->topLevel && !control->destroyed) return true;
  }
  return false;
}

// Puts the control where its given geometry lies at its window's DPI, edge by edge, so that
// controls that meet at 96 dpi meet at every scale.
void placeAtWindowDpi(PlatformControl* control) {
  const int dpi = control->window->dpi;
  const int32_t left = toScreen(control->left, dpi);
  const int32_t top = toScreen(control->top, dpi);
  SetWindowPos(control->hwnd, nullptr, left, top, toScreen(control->left + control->width, dpi) - left,
               toScreen(control->top + control->height, dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void applyFont(PlatformControl* control) {
  const FontSpec font{control->fontFamily, control->fontHeight, control->fontWeight};
  if (HFONT made = user32backend::fontFor(font, control->window->dpi)) {
    SendMessageA(control->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  }
}

void redrawAtWindowDpi(PlatformControl* window) {
  for (const auto& control : backend.controls) {
    if (control->window != window || control->topLevel || !IsWindow(control->hwnd)) continue;
    placeAtWindowDpi(control.get());
    if (control->hasFont) applyFont(control.get());
  }
}

// A click reaches the button's parent as WM_COMMAND; the parent may be the window or a
// group frame, so both pass it on here.
void dispatchClick(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return;
  PlatformControl* button = controlOf(reinterpret_cast<HWND>(lParam));
  if (button != nullptr && button->clickHandler != nullptr) button->clickHandler(button->clickContext);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      dispatchClick(wParam, lParam);
      return 0;
    case WM_SETCURSOR: {
      // A control asks its parent first, so this answers for every control of the window.
      const PlatformControl* window = controlOf(hwnd);
      if (window == nullptr || !window->busy || LOWORD(lParam) == static_cast<WORD>(HTERROR)) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
      }
      SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
      return TRUE;
    }
    case WM_ACTIVATE: {
      // As a dialog keeps its focus: the control that had it when the window was left gets it
      // back, where the system would focus the window itself and leave the keyboard nowhere.
      PlatformControl* window = controlOf(hwnd);
      if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) window->focus = focus;
        return 0;
      }
      if (HIWORD(wParam) == 0 && window->focus != nullptr && IsWindow(window->focus)) {
        SetFocus(window->focus);
        return 0;
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_DPICHANGED: {
      PlatformControl* window = controlOf(hwnd);
      if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      window->dpi = HIWORD(wParam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      redrawAtWindowDpi(window);
      return 0;
    }
    case WM_DESTROY: {
      PlatformControl* window = controlOf(hwnd);
      if (window != nullptr) window->destroyed = true;
      // The last window of the program ends the loop, and from then on no call is taken.
      if (mainThreadGate.windowGone(anyWindowAlive)) PostQuitMessage(0);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK groupFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) dispatchClick(wParam, lParam);
  PlatformControl* frame = controlOf(hwnd);
  if (frame == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return CallWindowProcA(frame->systemProc, hwnd, message, wParam, lParam);
}

// The clipboard's text for a paste into an edit box when a NUL is inside it, each NUL as "?",
// the sign a character the box's text cannot hold gets; empty when the system's own paste
// takes the text whole. The system's paste ends at the first NUL and drops the rest. Only
// trailing NULs are left out: a clipboard block may be longer than the text in it.
std::wstring clipboardTextWithNuls(HWND box) {
  std::wstring text;
  if (!OpenClipboard(box)) return text;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(block))) {
      size_t length = GlobalSize(block) / sizeof(wchar_t);
      while (length > 0 && units[length - 1] == L'\0') --length;
      if (std::wmemchr(units, L'\0', length) != nullptr) text.assign(units, length);
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  for (wchar_t& unit : text) {
    if (unit == L'\0') unit = L'?';
  }
  return text;
}

// In front of the system's edit box, a Unicode window, and kept one (the A messages reach it
// converted, as before): only a paste with a NUL in it is ours.
LRESULT CALLBACK editBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PlatformControl* box = controlOf(hwnd);
  if (box == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_PASTE && (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) == 0) {
    const std::wstring text = clipboardTextWithNuls(hwnd);
    if (!text.empty()) {
      return CallWindowProcW(box->systemProc, hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  return CallWindowProcW(box->systemProc, hwnd, message, wParam, lParam);
}

// Keys our controls take as a person expects of them, where the system's controls do not,
// taken from the queue on their way to one of our controls: a hook, since they go to controls
// of every kind, and every other message reaches a control as the system delivers it (the
// edit boxes' procedure in front of the system's, editBoxProc, takes only the paste).
// - Ctrl+A selects the whole text of an edit box (the system's multi-line box only beeps).
// - Enter presses a push button that has the focus, as the dialog manager does.
// - Ctrl+Enter in an edit box clicks the button given to it, and breaks no line.
// Enter held down clicks once, not once per repeat; the keypad's Enter is the same key.
HHOOK keyHook = nullptr;

bool keyHeld(int key) { return GetKeyState(key) < 0; }

// The click the button itself would report, BN_CLICKED to its parent, the focus left where it is.
void clickButton(HWND button) {
  if (!IsWindowEnabled(button)) return;
  SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Whether the key message is one the control takes our way; if so it has been acted on.
bool takeKey(const MSG& queued, const PlatformControl& control) {
  const bool editBox = control.kind == ControlKind::MultiLineEdit;
  if (queued.message == WM_CHAR) {
    if (!editBox || queued.wParam != 0x01) return false;
    SendMessageA(queued.hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  if (queued.message != WM_KEYDOWN || queued.wParam != VK_RETURN || keyHeld(VK_SHIFT) || keyHeld(VK_MENU)) return false;
  const bool ctrl = keyHeld(VK_CONTROL);
  HWND button = nullptr;
  if (!editBox && control.kind == ControlKind::PushButton && !ctrl) button = queued.hwnd;
  if (editBox && ctrl) button = control.ctrlEnterButton;
  if (button == nullptr) return false;
  const bool repeated = (queued.lParam & (LPARAM{1} << 30)) != 0;
  if (!repeated) clickButton(button);
  return true;
}

LRESULT CALLBACK takeKeysOfOurControls(int code, WPARAM removed, LPARAM message) {
  auto* queued = reinterpret_cast<MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE && (queued->message == WM_CHAR || queued->message == WM_KEYDOWN)) {
    const PlatformControl* control = controlOf(queued->hwnd);
    if (control != nullptr && !control->topLevel && takeKey(*queued, *control)) queued->message = WM_NULL;
  }
  return CallNextHookEx(keyHook, code, removed, message);
}

bool isOurEditBox(HWND hwnd) {
  const PlatformControl* control = controlOf(hwnd);
  return control != nullptr && !control->topLevel && control->kind == ControlKind::MultiLineEdit;
}

bool start(int*, char**) {
  user32backend::becomeDpiAware();
  backend.instance = GetModuleHandleA(nullptr);
  if (!backend.classRegistered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = backend.instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassA(&windowClass) == 0) return false;
    backend.classRegistered = true;
  }
  if (keyHook == nullptr) keyHook = SetWindowsHookExA(WH_GETMESSAGE, takeKeysOfOurControls, nullptr, GetCurrentThreadId());
  // Without the HTML a copy is still the box's plain text: no reason to refuse to start.
  user32backend::watchCopies(backend.instance, isOurEditBox);
  return user32backend::openGate(backend.instance);
}

// Global atoms outlive the process, so every end gives its references back.
void releaseNames() {
  for (const auto& control : backend.controls) {
    if (control->nameAtom != 0) GlobalDeleteAtom(control->nameAtom);
    control->nameAtom = 0;
  }
}

void stop() {
  releaseNames();
  if (mainThreadGate.stopInsideLoop()) return;
  user32backend::dropGate();
  for (const auto& control : backend.controls) {
    if (control->topLevel && !control->destroyed) DestroyWindow(control->hwnd);
  }
  for (const auto& control : backend.controls) {
    if (control->icon != nullptr) DestroyIcon(control->icon);
  }
  backend.controls.clear();
  user32backend::releaseFonts();
  if (backend.classRegistered) UnregisterClassA(kWindowClass, backend.instance);
  backend.classRegistered = false;
  if (keyHook != nullptr) UnhookWindowsHookEx(keyHook);
  keyHook = nullptr;
  user32backend::stopWatchingCopies();
}

// The primary screen in pixels at 96 dpi, as the window's geometry is given.
void screenSize(int32_t* width, int32_t* height) {
  const int dpi = user32backend::primaryDpi();
  *width = GetSystemMetrics(SM_CXSCREEN) * user32backend::kLayoutDpi / dpi;
  *height = GetSystemMetrics(SM_CYSCREEN) * user32backend::kLayoutDpi / dpi;
}

void workArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  // Whole 96 dpi pixels inside the area: a window placed in it never reaches a row past it.
  const int dpi = user32backend::primaryDpi();
  const auto inward = [dpi](LONG edge) { return (edge * user32backend::kLayoutDpi + dpi - 1) / dpi; };
  *left = inward(area.left);
  *top = inward(area.top);
  *width = area.right * user32backend::kLayoutDpi / dpi - *left;
  *height = area.bottom * user32backend::kLayoutDpi / dpi - *top;
}

// The system cuts a window to the screen and a frame's width around it.
void largestWindow(int32_t* width, int32_t* height) {
  const int dpi = user32backend::primaryDpi();
  *width = GetSystemMetrics(SM_CXMAXTRACK) * user32backend::kLayoutDpi / dpi;
  *height = GetSystemMetrics(SM_CYMAXTRACK) * user32backend::kLayoutDpi / dpi;
}

PlatformControl* keep(HWND hwnd, PlatformControl* window) {
  backend.controls.push_back(std::make_unique<PlatformControl>());
  PlatformControl* control = backend.controls.back().get();
  control->hwnd = hwnd;
  control->window = window != nullptr ? window : control;
  control->topLevel = window == nullptr;
  return control;
}

PlatformControl* createWindow(const WindowSpec& wanted) {
  // Fixed frame: no sizing border and no maximise box.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  // Opens on the primary monitor, at its DPI; the frame and caption the system scales itself.
  const int dpi = user32backend::primaryDpi();
  const int32_t left = toScreen(wanted.left, dpi);
  const int32_t top = toScreen(wanted.top, dpi);
  HWND hwnd = CreateWindowExA(0, kWindowClass, ansi(wanted.caption).c_str(), style, left, top,
                              toScreen(wanted.left + wanted.width, dpi) - left,
                              toScreen(wanted.top + wanted.height, dpi) - top, nullptr, nullptr, backend.instance,
                              nullptr);
  if (hwnd == nullptr) return nullptr;
  PlatformControl* window = keep(hwnd, nullptr);
  window->dpi = user32backend::windowDpi(hwnd);
  window->icon = user32backend::makeIcon(wanted.icon, wanted.iconWidth, wanted.iconHeight);
  if (window->icon != nullptr) {
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window->icon));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window->icon));
  }
  return window;
}

struct ClassAndStyle {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle classAndStyle(ControlKind kind) {
  switch (kind) {
    case ControlKind::MultiLineEdit:
      // No wrapping: the text scrolls sideways; Enter breaks the line; the selection hides
      // while the box has no focus (no ES_NOHIDESEL).
      return {"EDIT",
              WS_CHILD | WS_HSCROLL | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                  ES_WANTRETURN,
              WS_EX_CLIENTEDGE};
    case ControlKind::GroupFrame:
      return {"BUTTON", WS_CHILD | BS_GROUPBOX | BS_LEFT, 0};
    case ControlKind::PushButton:
      return {"BUTTON", WS_CHILD | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case ControlKind::AutoRadio:
      return {"BUTTON", WS_CHILD | BS_AUTORADIOBUTTON | BS_LEFT | BS_VCENTER, 0};
  }
  return {"STATIC", WS_CHILD, 0};
}

PlatformControl* createControl(PlatformControl* parent, const ControlSpec& wanted) {
  if (!isAlive(parent)) return nullptr;
  const ClassAndStyle made = classAndStyle(wanted.kind);
  const bool editBox = wanted.kind == ControlKind::MultiLineEdit;
  // Child ids only need to differ among siblings; the records' count does that.
  const auto childId = static_cast<UINT_PTR>(backend.controls.size());
  HWND hwnd = CreateWindowExA(made.exStyle, made.className, editBox ? "" : ansi(wanted.text).c_str(), made.style,
                              0, 0, 0, 0, parent->hwnd, reinterpret_cast<HMENU>(childId), backend.instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  PlatformControl* control = keep(hwnd, parent->window);
  control->kind = wanted.kind;
  control->left = wanted.left;
  control->top = wanted.top;
  control->width = wanted.width;
  control->height = wanted.height;
  placeAtWindowDpi(control);
  const std::string name = ansi(wanted.name);
  control->nameAtom = name.empty() ? 0 : GlobalAddAtomA(name.c_str());
  if (control->nameAtom != 0) SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(control->nameAtom)));
  if (wanted.kind == ControlKind::GroupFrame) {
    control->systemProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(groupFrameProc)));
  } else if (editBox) {
    control->systemProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editBoxProc)));
  }
  if (editBox) SendMessageA(hwnd, EM_LIMITTEXT, 0, 0);  // 0: the platform's maximum
  return control;
}

void setParent(PlatformControl* control, PlatformControl* parent) {
  if (!isAlive(control) || !isAlive(parent)) return;
  SetParent(control->hwnd, parent->hwnd);
  placeAtWindowDpi(control);
}

void destroyWindow(PlatformControl* window) {
  if (isAlive(window) && window->topLevel) DestroyWindow(window->hwnd);
}

void setFont(PlatformControl* control, const FontSpec& font) {
  if (!isAlive(control)) return;
  control->fontFamily = font.family;
  control->fontHeight = font.height;
  control->fontWeight = font.weight;
  control->hasFont = true;
  applyFont(control);
}

bool isEditBox(PlatformControl* control) {
  return isAlive(control) && !control->topLevel && control->kind == ControlKind::MultiLineEdit;
}

std::string windowBytes(HWND hwnd) {
  const auto length = static_cast<size_t>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::string bytes(length + 1, '\0');
  const auto copied = static_cast<size_t>(
      SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(bytes.size()), reinterpret_cast<LPARAM>(bytes.data())));
  // A control that holds a text but hands over none had no room to convert it: the run
  // would go on with an empty input, as if the person had pasted nothing.
  if (length > 0 && copied == 0) reportRefusedMemory(bytes.size());
  bytes.resize(copied < length ? copied : length);
  return bytes;
}

void setText(PlatformControl* control, std::u16string_view text) {
  if (!isAlive(control) || isEditBox(control)) return;
  SendMessageA(control->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi(text).c_str()));
}

std::u16string text(PlatformControl* control) {
  if (!isAlive(control) || isEditBox(control)) return {};
  return platformCodePage().toUtf16(windowBytes(control->hwnd));
}

PlatformText* newEditText(PlatformControl*) { return new PlatformText; }

void appendEditText(PlatformText* text, std::string_view ansi) { text->bytes.append(ansi); }

PlatformTextPiece* prepareEditPiece(PlatformText*, std::string_view ansi) {
  return new PlatformTextPiece{std::string(ansi)};
}

void appendEditPiece(PlatformText* text, PlatformTextPiece* piece) {
  const std::unique_ptr<PlatformTextPiece> owned(piece);
  text->bytes.append(owned->bytes);
}

void releasePiece(PlatformTextPiece* piece) { delete piece; }

void setEditText(PlatformControl* editBox, PlatformText* text) {
  const std::unique_ptr<PlatformText> owned(text);
  if (!isEditBox(editBox)) return;
  SendMessageA(editBox->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(owned->bytes.c_str()));
  // A box that could not make room for the text keeps none of it and says so only to its
  // parent; the table would be lost without a word, so the program ends as for its own
  // failed allocations.
  if (!owned->bytes.empty() && SendMessageA(editBox->hwnd, WM_GETTEXTLENGTH, 0, 0) == 0) {
    reportRefusedMemory(owned->bytes.size() + 1);
  }
  // A new text is shown from its start: caret at 0, scrolled into view.
  SendMessageA(editBox->hwnd, EM_SETSEL, 0, 0);
  SendMessageA(editBox->hwnd, EM_SCROLLCARET, 0, 0);
}

PlatformText* takeEditText(PlatformControl* editBox) {
  auto* text = new PlatformText;
  if (isEditBox(editBox)) text->bytes = windowBytes(editBox->hwnd);
  return text;
}

std::string ansiText(PlatformText* text) { return std::exchange(text->bytes, std::string()); }

// The bytes were read on the main thread: there is nothing left to convert.
PlatformText* splitEditText(PlatformText*) { return nullptr; }

void releaseText(PlatformText* text) { delete text; }

void setChecked(PlatformControl* control, bool checked) {
  if (isAlive(control)) SendMessageA(control->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isChecked(PlatformControl* control) {
  return isAlive(control) && SendMessageA(control->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setEnabled(PlatformControl* control, bool enabled) {
  if (isAlive(control)) EnableWindow(control->hwnd, enabled ? TRUE : FALSE);
}

void setTabStop(PlatformControl* control, bool tabStop) {
  if (!isAlive(control)) return;
  const LONG_PTR style = GetWindowLongPtrA(control->hwnd, GWL_STYLE);
  SetWindowLongPtrA(control->hwnd, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

void setFocus(PlatformControl* control) {
  if (!isAlive(control) || control->topLevel) return;
  control->window->focus = control->hwnd;
  if (GetActiveWindow() == control->window->hwnd) SetFocus(control->hwnd);
}

void setCtrlEnterClick(PlatformControl* editBox, PlatformControl* button) {
  if (!isEditBox(editBox)) return;
  editBox->ctrlEnterButton = isAlive(button) && button->kind == ControlKind::PushButton ? button->hwnd : nullptr;
}

void setVisible(PlatformControl* control, bool visible) {
  if (isAlive(control)) ShowWindow(control->hwnd, visible ? SW_SHOW : SW_HIDE);
}

void placeBehind(PlatformControl* control, PlatformControl* sibling) {
  if (!isAlive(control)) return;
  HWND after = isAlive(sibling) ? sibling->hwnd : HWND_TOP;
  SetWindowPos(control->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void setClickHandler(PlatformControl* button, PlatformCall handler, void* context) {
  if (button == nullptr) return;
  button->clickHandler = handler;
  button->clickContext = context;
}

void setBusyPointer(PlatformControl* window, bool busy) {
  if (!isAlive(window) || window->busy == busy) return;
  window->busy = busy;
  // The pointer changes at once where it rests over the window, not at its next move.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND under = WindowFromPoint(at);
  if (under == nullptr || (under != window->hwnd && !IsChild(window->hwnd, under))) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

int32_t pumpMessages() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int32_t>(message.wParam);
    if (got == -1) return 0;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int32_t runLoop() { return mainThreadGate.runLoop(anyWindowAlive, pumpMessages); }

void showErrorBox(std::u16string_view caption, std::u16string_view text) {
  MessageBoxA(nullptr, ansi(text).c_str(), ansi(caption).c_str(), MB_OK | MB_ICONERROR);
}

const WindowSystem kUser32WindowSystem{
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

const WindowSystem& platformWindowSystem() { return kUser32WindowSystem; }
