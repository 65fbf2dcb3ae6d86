// Finding the program's real windows and controls from a test, in this process or another
// one: the top-level window by class, caption and process, a control by the name the
// window system keeps in its "CellbraeName" property, and their texts as GBK bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline constexpr char kWindowClass[] = "CellbraeWindow";

// What "编辑框2" shows at start (the literal is GBK in these tests).
inline const std::string kUsageTextGbk =
    "Cellbrae\r\n\r\n序号 字段名 注释\r\n1 file 文件\r\n2 path 路径\r\n\r\n结果示例：\r\n"
    "+-------+---------+-------+\r\n| 序号  | 字段名  | 注释  |\r\n+-------+---------+-------+\r\n"
    "| 1     | file    | 文件  |\r\n| 2     | path    | 路径  |\r\n+-------+---------+-------+\r\n";

inline std::string windowText(HWND window) {
  const auto length = static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  std::string text(length + 1, '\0');
  const auto copied = static_cast<size_t>(
      SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied);
  return text;
}

inline std::string className(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The name a control was created under; empty for a window of anyone else.
inline std::string controlName(HWND control) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(control, "CellbraeName")));
  char name[256] = {};
  if (atom == 0 || GlobalGetAtomNameA(atom, name, sizeof name) == 0) return {};
  return name;
}

inline BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every descendant of window, at any depth.
inline std::vector<HWND> descendants(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(window, collectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline HWND controlNamed(HWND window, const std::string& name) {
  for (HWND child : descendants(window)) {
    if (controlName(child) == name) return child;
  }
  return nullptr;
}

// The top-level windows of a process with the given class (and caption, unless null).
inline std::vector<HWND> topLevelWindows(DWORD processId, const char* windowClass, const char* caption) {
  std::vector<HWND> all;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (owner == processId && className(window) == windowClass && (caption == nullptr || std::string(text) == caption)) {
      found.push_back(window);
    }
  }
  return found;
}

// A control's area in its parent's client coordinates.
inline RECT placement(HWND control) {
  RECT frame{};
  GetWindowRect(control, &frame);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&frame), 2);
  return frame;
}

inline std::string describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// The children of parent in stacking order, front first, by control name.
inline std::vector<std::string> stackingOrder(HWND parent) {
  std::vector<std::string> names;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    names.push_back(controlName(child));
  }
  return names;
}

// Dispatches whatever is queued or sent to this thread, without waiting.
inline void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Pumps until done() holds, sleeping while nothing arrives (sent messages wake it).
template <class Done>
void pumpUntil(Done done) {
  for (pumpMessages(); !done(); pumpMessages()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}
