// Per-monitor DPI came to Windows in steps (8.1, then 10 1607 and 1703), so every call of it
// is looked up at run time and each has the older system's answer behind it.
#include "platform/user32/display_scale.h"

namespace user32backend {
namespace {

// The second per-monitor awareness context, as a value: older headers do not name it.
const auto kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kMonitorEffectiveDpi = 0;

template <class Function>
Function lookUp(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  if (loaded == nullptr) loaded = LoadLibraryA(module);
  if (loaded == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

int screenDeviceDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

}  // namespace

void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  using SetAwareness = HRESULT(WINAPI*)(int);
  using SetAware = BOOL(WINAPI*)();
  // A manifest that already chose makes these fail; its choice stands.
  if (auto set = lookUp<SetContext>("user32.dll", "SetProcessDpiAwarenessContext")) {
    if (set(kPerMonitorAwareV2) || GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  if (auto set = lookUp<SetAwareness>("shcore.dll", "SetProcessDpiAwareness")) {
    const HRESULT result = set(kProcessPerMonitorDpiAware);
    if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
  }
  if (auto set = lookUp<SetAware>("user32.dll", "SetProcessDPIAware")) set();
}

int primaryDpi() {
  using GetForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  if (auto get = lookUp<GetForMonitor>("shcore.dll", "GetDpiForMonitor")) {
    UINT x = 0;
    UINT y = 0;
    if (SUCCEEDED(get(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), kMonitorEffectiveDpi, &x, &y)) && y > 0) {
      return static_cast<int>(y);
    }
  }
  return systemDpi();
}

int windowDpi(HWND window) {
  using GetForWindow = UINT(WINAPI*)(HWND);
  static const auto get = lookUp<GetForWindow>("user32.dll", "GetDpiForWindow");
  const UINT dpi = get != nullptr ? get(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : systemDpi();
}

int systemDpi() {
  using GetForSystem = UINT(WINAPI*)();
  static const auto get = lookUp<GetForSystem>("user32.dll", "GetDpiForSystem");
  const UINT dpi = get != nullptr ? get() : 0;
  return dpi > 0 ? static_cast<int>(dpi) : screenDeviceDpi();
}

int32_t toScreen(int32_t layout, int dpi) { return MulDiv(layout, dpi, kLayoutDpi); }

}  // namespace user32backend
