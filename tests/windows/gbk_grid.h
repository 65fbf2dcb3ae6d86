// Every character code page 936 can put into a table, measured in a control's own font: the
// table lines up when printable ASCII and the euro sign (0x80) advance one cell and every
// double-byte character two.
#pragma once

#include <windows.h>

#include <string>

struct GbkGridWalk {
  LONG cell = 0;         // the advance of "a"
  int walked = 0;        // double-byte characters measured
  std::wstring offGrid;  // the characters that are not one or two cells wide
  // The first few of them as code points, for a failure's message.
  std::string shown() const {
    std::string text;
    for (wchar_t c : offGrid.substr(0, 40)) text += std::to_string(c) + " ";
    return text;
  }
};

inline GbkGridWalk walkGbkGrid(HWND control) {
  GbkGridWalk walk;
  HDC dc = GetDC(control);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  const auto advance = [dc](wchar_t c) {
    SIZE size{};
    return GetTextExtentPoint32W(dc, &c, 1, &size) ? size.cx : -1;
  };
  walk.cell = advance(L'a');
  for (wchar_t c = 0x20; c < 0x7F; ++c) {
    if (advance(c) != walk.cell) walk.offGrid += c;
  }
  if (advance(L'\x20AC') != walk.cell) walk.offGrid += L'\x20AC';
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t wide[2] = {};
      if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) continue;
      ++walk.walked;
      if (advance(wide[0]) != 2 * walk.cell) walk.offGrid += wide[0];
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return walk;
}
