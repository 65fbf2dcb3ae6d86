// Loading checks a description once, so creation and the property operations can trust it:
// every parent exists and lists its children, ids are unique, every handler is bound, and
// the units the keyboard is sent to exist and are of the right type.
#include "ui/loaded_forms.h"

#include <cstring>
#include <memory>

namespace {

std::vector<std::unique_ptr<LoadedForm>> loadedForms;

bool isContainer(UnitType type) { return type == UnitType::GroupBox; }

int32_t indexIn(const FormDescription& description, uint32_t unitId) {
  for (size_t i = 0; i < description.units.size(); ++i) {
    if (description.units[i].unitId == unitId) return static_cast<int32_t>(i);
  }
  return -1;
}

bool listsChild(const UnitRecord& parent, uint32_t child) {
  for (uint32_t listed : parent.children) {
    if (listed == child) return true;
  }
  return false;
}

bool isUnitOfType(const FormDescription& description, uint32_t unitId, UnitType type) {
  const int32_t at = indexIn(description, unitId);
  return at > 0 && description.units[at].type == type;
}

bool unitsAreConsistent(const FormDescription& description) {
  const auto& units = description.units;
  if (units.empty() || units.front().type != UnitType::Window || units.front().unitId != description.unitId) {
    return false;
  }
  for (size_t i = 0; i < units.size(); ++i) {
    const UnitRecord& unit = units[i];
    if (unit.unitId == 0 || indexIn(description, unit.unitId) != static_cast<int32_t>(i)) return false;
    if (i > 0 && unit.type == UnitType::Window) return false;
    if (i > 0 && unit.parent != 0) {
      const int32_t parent = indexIn(description, unit.parent);
      if (parent <= 0 || !isContainer(units[parent].type) || !listsChild(units[parent], unit.unitId)) return false;
    }
    for (uint32_t child : unit.children) {
      const int32_t at = indexIn(description, child);
      if (at <= 0 || units[at].parent != unit.unitId) return false;
    }
    const uint32_t clicked = unit.settings.ctrlEnterClicks;
    if (clicked != 0 && (unit.type != UnitType::EditBox || !isUnitOfType(description, clicked, UnitType::Button))) {
      return false;
    }
  }
  return description.focusUnit == 0 || indexIn(description, description.focusUnit) > 0;
}

EventHandler handlerNamed(const char* name, std::span<const NamedHandler> handlers) {
  for (const NamedHandler& named : handlers) {
    if (name != nullptr && named.name != nullptr && std::strcmp(named.name, name) == 0) return named.handler;
  }
  return nullptr;
}

}  // namespace

int32_t LoadedForm::indexOf(uint32_t unitId) const { return indexIn(description, unitId); }

bool loadForm(const FormDescription& description, std::span<const NamedHandler> handlers) {
  if (findLoadedForm(description.unitId) != nullptr) return true;
  if (!unitsAreConsistent(description)) return false;
  auto form = std::make_unique<LoadedForm>();
  form->description = description;
  form->controls.assign(description.units.size(), nullptr);
  form->clickHandlers.assign(description.units.size(), nullptr);
  for (size_t i = 0; i < description.units.size(); ++i) {
    const UnitRecord& unit = description.units[i];
    for (const EventBinding& binding : unit.events) {
      // Only a button's click can be honoured; a binding that cannot be is a broken description.
      if (unit.type != UnitType::Button || binding.event != kButtonClickEvent) return false;
      form->clickHandlers[i] = handlerNamed(binding.handler, handlers);
      if (form->clickHandlers[i] == nullptr) return false;
    }
  }
  loadedForms.push_back(std::move(form));
  return true;
}

void dropForm(uint32_t windowId) {
  std::erase_if(loadedForms, [&](const auto& form) { return form->description.unitId == windowId; });
}

LoadedForm* findLoadedForm(uint32_t windowId) {
  for (const auto& form : loadedForms) {
    if (form->description.unitId == windowId) return form.get();
  }
  return nullptr;
}
