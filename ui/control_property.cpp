// The control property operations. The lookup and the control access both happen on the
// main thread, so the loaded descriptions need no lock; an edit box's text is converted (and
// laid out) on the caller's thread, and the error is raised there too, once the main thread
// has answered.
#include "ui/control_property.h"

#include <cstring>
#include <string>

#include "runtime/runtime_error.h"
#include "runtime/work_ahead.h"
#include "ui/loaded_forms.h"
#include "ui/main_thread_call.h"

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

// Runs access(), which answers how far it reached, on the main thread; then, on the caller's
// thread, ends the program when it did not reach the window's controls.
template <class Access>
void accessOnMainThread(Access&& access, const char* destroyedMessage) {
  Reach reach = Reach::WindowNotLoaded;
  // Refused only once the loop has ended, when the window is gone.
  if (!runOnMainThread([&] { reach = access(); })) reportFatalMessage(destroyedMessage);
  if (reach != Reach::Control) reportUnreachable(reach, destroyedMessage);
}

}  // namespace

// Sets prepared content on the main thread, answering how far it reached.
struct PreparedWrite {
  static Reach run(PreparedContent& content) {
    const Target target = findTarget(content.windowId_, content.controlId_, property::kContent);
    if (content.text_ != nullptr && holdsContent(target, property::kContent)) {
      windows().setEditText(target.control, content.text_.release());
    }
    return target.reach;
  }
};

void PreparedContent::release(PlatformText* text) { windows().releaseText(text); }

PreparedContent prepareContent(uint32_t windowId, uint32_t controlId) {
  PreparedContent content;
  content.windowId_ = windowId;
  content.controlId_ = controlId;
  accessOnMainThread(
      [&] {
        const Target target = findTarget(windowId, controlId, property::kContent);
        if (holdsContent(target, property::kContent)) content.text_.reset(windows().newEditText(target.control));
        return target.reach;
      },
      kWriteAfterDestroyed);
  return content;
}

PreparedContent prepareContent(uint32_t windowId, uint32_t controlId, const char* text) {
  PreparedContent content = prepareContent(windowId, controlId);
  content.append(text != nullptr ? text : "");
  return content;
}

void PreparedContent::append(std::string_view text) {
  if (text_ != nullptr) windows().appendEditText(text_.get(), text);
}

void PreparedContent::Piece::release(PlatformTextPiece* piece) { windows().releasePiece(piece); }

PreparedContent::Piece PreparedContent::prepare(std::string_view text) {
  Piece piece;
  if (text_ != nullptr) piece.piece_.reset(windows().prepareEditPiece(text_.get(), text));
  return piece;
}

void PreparedContent::append(Piece piece) {
  if (piece.piece_ != nullptr) windows().appendEditPiece(text_.get(), piece.piece_.release());
}

void writePreparedContent(PreparedContent& content) {
  const Reach reach = PreparedWrite::run(content);
  if (reach != Reach::Control) reportUnreachable(reach, kWriteAfterDestroyed);
}

PropertyValue readControlProperty(uint32_t windowId, uint32_t controlId, int32_t property) {
  PropertyValue value;
  PlatformText* taken = nullptr;  // taken out of the box there, turned into bytes here
  accessOnMainThread(
      [&] {
        const Target target = findTarget(windowId, controlId, property);
        if (holdsContent(target, property)) {
          taken = windows().takeEditText(target.control);
        } else if (holdsCheck(target, property)) {
          value.number = windows().isChecked(target.control) ? 1 : 0;
        }
        return target.reach;
      },
      kReadAfterDestroyed);
  if (taken != nullptr) {
    // A long text's second part is converted on a side thread while this one converts the
    // first; where no thread starts, it is converted here after.
    PlatformText* rest = windows().splitEditText(taken);
    std::string restBytes;
    SideThread side;
    const bool restAside = rest != nullptr && side.start([&] { restBytes = windows().ansiText(rest); });
    const std::string bytes = windows().ansiText(taken);
    if (rest != nullptr) {
      if (restAside) side.join();
      else restBytes = windows().ansiText(rest);
      windows().releaseText(rest);
    }
    // The parts go straight into the text: joined first, a long read would be copied twice.
    if (const size_t size = bytes.size() + restBytes.size(); size != 0) {
      char* const text = concatTexts({bytes, restBytes}).detach();
      // A text ends at its first NUL, so a NUL pasted into a box would cut off everything
      // after it; it reads as "?", the sign of any character a text cannot hold.
      for (char* at = text; (at = static_cast<char*>(std::memchr(at, '\0', text + size - at)));) *at++ = '?';
      value.text = TextValue::adopt(text);
    }
    windows().releaseText(taken);
  }
  return value;
}

void writeControlProperty(uint32_t windowId, uint32_t controlId, int32_t property, PropertyInput value) {
  if (property == property::kContent) {
    PreparedContent content = prepareContent(windowId, controlId, value.text);
    accessOnMainThread([&] { return PreparedWrite::run(content); }, kWriteAfterDestroyed);
    return;
  }
  accessOnMainThread(
      [&] {
        const Target target = findTarget(windowId, controlId, property);
        if (holdsCheck(target, property)) windows().setChecked(target.control, value.number != 0);
        return target.reach;
      },
      kWriteAfterDestroyed);
}
