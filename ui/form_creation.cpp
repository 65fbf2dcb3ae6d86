// Creation follows the description step by step: the window, every control as its child,
// each control moved into its parent, the stacking order, then showing. The window system
// only applies what the records say.
#include "ui/form_creation.h"

#include <vector>

#include "ui/loaded_forms.h"
#include "ui/wide_text.h"
#include "ui/window_placement.h"

namespace {

const WindowSystem& windows() { return platformWindowSystem(); }

std::vector<uint32_t> iconPixels(const IconPicture& picture) {
  std::vector<uint32_t> pixels;
  pixels.reserve(static_cast<size_t>(picture.width) * picture.height);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      switch (picture.rows[y][x]) {
        case '#': pixels.push_back(0xFF000000u); break;
        case 'g': pixels.push_back(0xFFC0C0C0u); break;
        case 'w': pixels.push_back(0xFFFFFFFFu); break;
        default: pixels.push_back(0x00000000u); break;
      }
    }
  }
  return pixels;
}

ControlKind controlKind(UnitType type) {
  switch (type) {
    case UnitType::EditBox: return ControlKind::MultiLineEdit;
    case UnitType::GroupBox: return ControlKind::GroupFrame;
    case UnitType::Button: return ControlKind::PushButton;
    default: return ControlKind::AutoRadio;
  }
}

// Where each control goes: as described, unless the window had to be made smaller than
// described, in which case the edit boxes (and in width the button) give up the room
// (placeWindow, fitLayout).
std::vector<ScreenArea> controlAreas(const FormDescription& description, const ScreenArea& loss) {
  std::vector<ScreenArea> areas;
  std::vector<FittedControl> inWindow;
  for (size_t i = 0; i < description.units.size(); ++i) {
    const UnitRecord& unit = description.units[i];
    areas.push_back({unit.left, unit.top, unit.width, unit.height});
    if (i == 0 || unit.parent != 0) continue;
    const bool box = unit.type == UnitType::EditBox;
    inWindow.push_back({areas.back(), box, box || unit.type == UnitType::Button});
  }
  fitLayout(inWindow, loss.width, loss.height);
  for (size_t i = 1, next = 0; i < areas.size(); ++i) {
    if (description.units[i].parent == 0) areas[i] = inWindow[next++].area;
  }
  return areas;
}

PlatformControl* createWindow(LoadedForm& form, ScreenArea* loss) {
  const UnitRecord& record = form.description.units.front();
  ScreenArea screen{};
  windows().screenSize(&screen.width, &screen.height);
  ScreenArea work{};
  windows().workArea(&work.left, &work.top, &work.width, &work.height);
  ScreenArea largest{};
  windows().largestWindow(&largest.width, &largest.height);
  const ScreenArea place = placeWindow(screen, work, largest, record.width, record.height);
  loss->width = record.width - place.width;
  loss->height = record.height - place.height;
  const std::u16string caption = toWide(record.settings.text);
  WindowSpec wanted{caption, place.left, place.top, place.width, place.height, nullptr, 0, 0};
  if (const IconPicture* icon = record.settings.icon) {
    form.iconPixels = iconPixels(*icon);
    wanted.icon = form.iconPixels.data();
    wanted.iconWidth = icon->width;
    wanted.iconHeight = icon->height;
  }
  return windows().createWindow(wanted);
}

void runClickHandler(void* context) { (*static_cast<EventHandler*>(context))(); }

PlatformControl* createControl(LoadedForm& form, size_t index, const ScreenArea& area) {
  const UnitRecord& record = form.description.units[index];
  const std::u16string name = toWide(record.name);
  const bool editBox = record.type == UnitType::EditBox;
  const std::u16string caption = editBox ? std::u16string() : toWide(record.settings.text);
  const ControlSpec wanted{controlKind(record.type), name, caption, area.left, area.top, area.width, area.height};
  PlatformControl* control = windows().createControl(form.window(), wanted);
  const FontRecord& font = record.settings.font;
  const std::u16string family = font.family != nullptr ? toWide(font.family) : std::u16string();
  windows().setFont(control, FontSpec{family, font.height, font.weight});
  if (editBox) {
    // An edit box's text goes in as the program's bytes, laid out in the font just set.
    PlatformText* text = windows().newEditText(control);
    windows().appendEditText(text, record.settings.text != nullptr ? record.settings.text : "");
    windows().setEditText(control, text);
  }
  windows().setEnabled(control, (record.flags & unitFlags::kDisabled) == 0);
  windows().setTabStop(control, (record.flags & unitFlags::kTabStop) != 0);
  if (record.type == UnitType::RadioBox) windows().setChecked(control, record.settings.checked);
  if (form.clickHandlers[index] != nullptr) {
    windows().setClickHandler(control, runClickHandler, &form.clickHandlers[index]);
  }
  return control;
}

// Within each parent the first record goes in front, each later one directly behind it.
void applyStackingOrder(LoadedForm& form) {
  const auto& units = form.description.units;
  for (size_t parent = 0; parent < units.size(); ++parent) {
    const uint32_t parentId = parent == 0 ? 0 : units[parent].unitId;
    PlatformControl* previous = nullptr;
    for (size_t i = 1; i < units.size(); ++i) {
      if (units[i].parent != parentId) continue;
      windows().placeBehind(form.controls[i], previous);
      previous = form.controls[i];
    }
  }
}

}  // namespace

bool createForm(uint32_t windowId) {
  LoadedForm* form = findLoadedForm(windowId);
  if (form == nullptr) return false;
  const auto& units = form->description.units;
  ScreenArea loss{};
  form->controls[0] = createWindow(*form, &loss);
  if (form->controls[0] == nullptr) return false;
  const std::vector<ScreenArea> areas = controlAreas(form->description, loss);
  for (size_t i = 1; i < units.size(); ++i) form->controls[i] = createControl(*form, i, areas[i]);
  for (size_t i = 1; i < units.size(); ++i) {
    if (units[i].parent != 0) windows().setParent(form->controls[i], form->controls[form->indexOf(units[i].parent)]);
  }
  applyStackingOrder(*form);
  for (size_t i = 1; i < units.size(); ++i) {
    if (const uint32_t clicked = units[i].settings.ctrlEnterClicks) {
      windows().setCtrlEnterClick(form->controls[i], form->controls[form->indexOf(clicked)]);
    }
  }
  for (size_t i = 1; i < units.size(); ++i) {
    windows().setVisible(form->controls[i], (units[i].flags & unitFlags::kVisible) != 0);
  }
  windows().setVisible(form->window(), (units[0].flags & unitFlags::kVisible) != 0);
  if (form->description.focusUnit != 0) windows().setFocus(form->controls[form->indexOf(form->description.focusUnit)]);
  return true;
}

void destroyForm(uint32_t windowId) {
  if (LoadedForm* form = findLoadedForm(windowId)) windows().destroyWindow(form->window());
}
