// Carries a call from a worker to the main thread as a message sent to a hidden window:
// SendMessage blocks the worker until the main thread's message loop (or a modal loop, such
// as the error box's) has dispatched it, so a worker's control access is ordered with every
// click, and the main thread needs no lock of its own around the controls.
#include "platform/user32/main_thread_window.h"

#include <atomic>

namespace user32backend {
namespace {

constexpr UINT kCarriedCallMessage = WM_APP + 1;
constexpr LRESULT kCallRan = 1;  // what the sender gets back; 0 means refused
constexpr char kClassName[] = "CellbraeMainThreadCalls";

std::atomic<HWND> receiver{nullptr};  // written on the main thread only
HINSTANCE classInstance = nullptr;

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kCarriedCallMessage) return DefWindowProcA(window, message, wParam, lParam);
  return mainThreadGate.runCarried(*reinterpret_cast<const CarriedCall*>(lParam)) ? kCallRan : 0;
}

// A window destroyed after the gate let the call through refuses it: SendMessage gives 0.
bool carry(const CarriedCall& carried) {
  HWND window = receiver.load();
  return window != nullptr &&
         SendMessageA(window, kCarriedCallMessage, 0, reinterpret_cast<LPARAM>(&carried)) == kCallRan;
}

}  // namespace

MainThreadGate mainThreadGate{carry};

bool openGate(HINSTANCE instance) {
  if (classInstance == nullptr) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = receiverProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return false;
    classInstance = instance;
  }
  if (receiver.load() == nullptr) {
    HWND window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    receiver = window;
  }
  mainThreadGate.open();
  return true;
}

void dropGate() {
  mainThreadGate.close();
  if (HWND window = receiver.exchange(nullptr)) DestroyWindow(window);
  if (classInstance != nullptr) UnregisterClassA(kClassName, classInstance);
  classInstance = nullptr;
}

}  // namespace user32backend
