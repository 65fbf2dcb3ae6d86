// Carries a call from a worker to the main thread as a message sent to a hidden window:
// SendMessage blocks the worker until the main thread's message loop (or a modal loop, such
// as the error box's) has dispatched it, so a worker's control access is ordered with every
// click, and the main thread needs no lock of its own around the controls.
#include "platform/user32/main_thread_window.h"

#include <atomic>
#include <mutex>

namespace user32backend {
namespace {

constexpr UINT kCarriedCallMessage = WM_APP + 1;
constexpr LRESULT kCallRan = 1;  // what the sender gets back; 0 means refused
constexpr char kClassName[] = "CellbraeMainThreadCalls";

struct CarriedCall {
  PlatformCall call;
  void* context;
};

std::mutex gateLock;
bool accepting = false;   // guarded by gateLock
HWND receiver = nullptr;  // guarded by gateLock; written on the main thread only
HINSTANCE classInstance = nullptr;
std::atomic<DWORD> mainThread{0};

bool gateOpen() {
  std::lock_guard guard(gateLock);
  return accepting;
}

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kCarriedCallMessage) return DefWindowProcA(window, message, wParam, lParam);
  // A call sent before the loop ended but dispatched after is refused like a late one.
  if (!gateOpen()) return 0;
  const auto* carried = reinterpret_cast<const CarriedCall*>(lParam);
  carried->call(carried->context);
  return kCallRan;
}

}  // namespace

bool openGate(HINSTANCE instance) {
  mainThread = GetCurrentThreadId();
  if (classInstance == nullptr) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = receiverProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return false;
    classInstance = instance;
  }
  HWND window = receiver;
  if (window == nullptr) {
    window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window == nullptr) return false;
  }
  std::lock_guard guard(gateLock);
  receiver = window;
  accepting = true;
  return true;
}

void closeGate() {
  std::lock_guard guard(gateLock);
  accepting = false;
}

void dropGate() {
  HWND window = nullptr;
  {
    std::lock_guard guard(gateLock);
    accepting = false;
    window = receiver;
    receiver = nullptr;
  }
  if (window != nullptr) DestroyWindow(window);
  if (classInstance != nullptr) UnregisterClassA(kClassName, classInstance);
  classInstance = nullptr;
}

bool isMainThread() { return GetCurrentThreadId() == mainThread.load(); }

bool callOnMainThread(PlatformCall call, void* context) {
  if (isMainThread()) {
    if (!gateOpen()) return false;
    call(context);
    return true;
  }
  HWND window = nullptr;
  {
    std::lock_guard guard(gateLock);
    if (!accepting) return false;
    window = receiver;
  }
  CarriedCall carried{call, context};
  return SendMessageA(window, kCarriedCallMessage, 0, reinterpret_cast<LPARAM>(&carried)) == kCallRan;
}

}  // namespace user32backend
