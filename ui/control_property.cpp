// The control property operations. The lookup and the control access both happen on the
// main thread, so the loaded descriptions need no lock; the code-page conversion happens on
// the caller's thread, and so does the error, raised once the main thread has answered.
#include "ui/control_property.h"

#include <string>

#include "runtime/runtime_error.h"
#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"
#include "ui/wide_text.h"

namespace {

constexpr const char* kWindowNotLoaded = "未载入欲访问窗口组件所在的窗口";
constexpr const char* kReadAfterDestroyed = "读取组件属性时发现指定窗口尚未载入";
constexpr const char* kWriteAfterDestroyed = "修改组件属性时发现指定窗口尚未载入";

const WindowSystem& windows() { return platformWindowSystem(); }

enum class Reach { Control, WindowNotLoaded, WindowDestroyed };

struct Target {
  Reach reach = Reach::WindowNotLoaded;
  PlatformControl* control = nullptr;  // null for an unknown control id
  UnitType type = UnitType::Window;
};

Target findTarget(uint32_t windowId, uint32_t controlId, int32_t property) {
  const LoadedForm* form = findLoadedForm(windowId);
  if (form == nullptr) return {};
  if (property >= property::kContent && !windows().isAlive(form->window())) return {Reach::WindowDestroyed};
  const int32_t index = form->indexOf(controlId);
  if (index < 0) return {Reach::Control};
  return {Reach::Control, form->controls[index], form->description.units[index].type};
}

bool holdsContent(const Target& target, int32_t property) {
  return target.control != nullptr && target.type == UnitType::EditBox && property == property::kContent;
}

bool holdsCheck(const Target& target, int32_t property) {
  return target.control != nullptr && target.type == UnitType::RadioBox && property == property::kChecked;
}

[[noreturn]] void reportUnreachable(Reach reach, const char* destroyedMessage) {
  reportFatalMessage(reach == Reach::WindowNotLoaded ? kWindowNotLoaded : destroyedMessage);
}

struct Read {
  uint32_t windowId;
  uint32_t controlId;
  int32_t property;
  Reach reach = Reach::WindowNotLoaded;
  bool isText = false;
  std::u16string text = {};
  int32_t number = 0;

  void run() {
    const Target target = findTarget(windowId, controlId, property);
    reach = target.reach;
    if (holdsContent(target, property)) {
      isText = true;
      text = windows().text(target.control);
    } else if (holdsCheck(target, property)) {
      number = windows().isChecked(target.control) ? 1 : 0;
    }
  }
};

struct Write {
  uint32_t windowId;
  uint32_t controlId;
  int32_t property;
  std::u16string text = {};
  int32_t number;
  Reach reach = Reach::WindowNotLoaded;

  void run() {
    const Target target = findTarget(windowId, controlId, property);
    reach = target.reach;
    if (holdsContent(target, property)) {
      windows().setText(target.control, text);
    } else if (holdsCheck(target, property)) {
      windows().setChecked(target.control, number != 0);
    }
  }
};

}  // namespace

PropertyValue readControlProperty(uint32_t windowId, uint32_t controlId, int32_t property) {
  Read read{windowId, controlId, property};
  // Refused only once the loop has ended, when the window is gone.
  if (!runOnMainThread([&read] { read.run(); })) reportFatalMessage(kReadAfterDestroyed);
  if (read.reach != Reach::Control) reportUnreachable(read.reach, kReadAfterDestroyed);
  PropertyValue value;
  value.number = read.number;
  if (read.isText) value.text = toTextValue(read.text);
  return value;
}

void writeControlProperty(uint32_t windowId, uint32_t controlId, int32_t property, PropertyInput value) {
  Write write{windowId, controlId, property, property == property::kContent ? toWide(value.text) : std::u16string(),
              value.number};
  if (!runOnMainThread([&write] { write.run(); })) reportFatalMessage(kWriteAfterDestroyed);
  if (write.reach != Reach::Control) reportUnreachable(write.reach, kWriteAfterDestroyed);
}
