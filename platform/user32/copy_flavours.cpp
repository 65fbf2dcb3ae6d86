// The system's edit box copies plain text only, and replacing its procedure to copy more
// broke typed Chinese under Wine. So the copy stays the box's own, and the HTML is added to
// what it put on the clipboard, in the system's "HTML Format": a header of byte offsets, then
// the document with the fragment marked. Added once: adding it changes the clipboard again.
#include "platform/user32/copy_flavours.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/shared/preformatted_html.h"

namespace user32backend {
namespace {

constexpr char kClassName[] = "CellbraeCopies";

HWND listener = nullptr;
HINSTANCE classInstance = nullptr;
bool (*isOurs)(HWND) = nullptr;

// The clipboard's HTML: offsets counted in bytes from the header's start, ten digits each so
// that the header's length does not depend on them.
std::string clipboardHtml(const std::string& fragment) {
  constexpr char kHeader[] =
      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n";
  const std::string before = "<html><body>\r\n<!--StartFragment-->";
  const std::string after = "<!--EndFragment-->\r\n</body></html>";
  char header[160];
  const size_t headerLength = static_cast<size_t>(std::snprintf(header, sizeof header, kHeader, size_t{0}, size_t{0}, size_t{0}, size_t{0}));
  const size_t startFragment = headerLength + before.size();
  const size_t endFragment = startFragment + fragment.size();
  std::snprintf(header, sizeof header, kHeader, headerLength, endFragment + after.size(), startFragment, endFragment);
  return header + before + fragment + after;
}

// The box's font family, when its ASCII is monospace; empty otherwise.
std::u16string monospaceFamily(HWND editBox) {
  auto* font = reinterpret_cast<HFONT>(SendMessageW(editBox, WM_GETFONT, 0, 0));
  LOGFONTW record{};
  if (font == nullptr || GetObjectW(font, sizeof record, &record) == 0) return {};
  HDC dc = GetDC(editBox);
  const HGDIOBJ previous = SelectObject(dc, font);
  SIZE narrow{};
  SIZE wide{};
  const bool measured = GetTextExtentPoint32W(dc, L"i", 1, &narrow) && GetTextExtentPoint32W(dc, L"M", 1, &wide);
  SelectObject(dc, previous);
  ReleaseDC(editBox, dc);
  if (!measured || narrow.cx != wide.cx) return {};
  std::u16string family;
  for (const WCHAR* c = record.lfFaceName; *c != 0; ++c) family += static_cast<char16_t>(*c);
  return family;
}

std::u16string clipboardText() {
  std::u16string text;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (const auto* wide = static_cast<const char16_t*>(data != nullptr ? GlobalLock(data) : nullptr)) {
    text = wide;
    GlobalUnlock(data);
  }
  return text;
}

void addHtml(UINT htmlFormat, HWND editBox) {
  if (!OpenClipboard(listener)) return;
  if (!IsClipboardFormatAvailable(htmlFormat) && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    const std::string html = clipboardHtml(preformattedHtml(clipboardText(), monospaceFamily(editBox)));
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, html.size() + 1)) {
      if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, html.c_str(), html.size() + 1);
        GlobalUnlock(block);
        if (SetClipboardData(htmlFormat, block) != nullptr) block = nullptr;
      }
      if (block != nullptr) GlobalFree(block);
    }
  }
  CloseClipboard();
}

LRESULT CALLBACK listenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CLIPBOARDUPDATE) return DefWindowProcA(window, message, wParam, lParam);
  HWND owner = GetClipboardOwner();
  if (owner != nullptr && isOurs != nullptr && isOurs(owner)) {
    static const UINT htmlFormat = RegisterClipboardFormatA("HTML Format");
    if (htmlFormat != 0) addHtml(htmlFormat, owner);
  }
  return 0;
}

}  // namespace

bool watchCopies(HINSTANCE instance, bool (*isOurEditBox)(HWND window)) {
  isOurs = isOurEditBox;
  if (classInstance == nullptr) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = listenerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return false;
    classInstance = instance;
  }
  if (listener == nullptr) {
    listener = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (listener == nullptr) return false;
    AddClipboardFormatListener(listener);
  }
  return true;
}

void stopWatchingCopies() {
  if (listener != nullptr) {
    RemoveClipboardFormatListener(listener);
    DestroyWindow(listener);
  }
  listener = nullptr;
  if (classInstance != nullptr) UnregisterClassA(kClassName, classInstance);
  classInstance = nullptr;
}

}  // namespace user32backend
