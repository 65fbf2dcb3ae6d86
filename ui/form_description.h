// A window described as data: a FormDescription lists one UnitRecord per unit, the window's
// own first. Creation reads nothing but these records, so what a window looks like can be
// read here and in main_window.cpp without following any widget code.
#pragma once

#include <cstdint>
#include <span>

enum class UnitType : int32_t { Window, EditBox, GroupBox, Button, RadioBox };

// UnitRecord::flags bits.
namespace unitFlags {
inline constexpr uint32_t kVisible = 1u << 0;
inline constexpr uint32_t kDisabled = 1u << 1;
inline constexpr uint32_t kTabStop = 1u << 2;
}  // namespace unitFlags

// Event numbers of the unit types; a Button's event 0 is its click.
inline constexpr int32_t kButtonClickEvent = 0;

// A stored logical font. A null family means the system's default GUI font.
struct FontRecord {
  const char* family = nullptr;  // GBK
  int32_t height = 0;            // negative: character height in pixels
  int32_t weight = 0;            // 400 normal, 700 bold
};

// A small picture as rows of characters: '.' transparent, '#' black, 'g' light grey
// (192, 192, 192), 'w' white.
struct IconPicture {
  int32_t width = 0;
  int32_t height = 0;
  const char* const* rows = nullptr;
};

// An event of a unit and the name of the routine that handles it; names are bound to the
// program's routines when the description is loaded.
struct EventBinding {
  int32_t event;
  const char* handler;
};

using EventHandler = void (*)();
struct NamedHandler {
  const char* name;
  EventHandler handler;
};

// The unit type's own settings; each type reads the fields that concern it.
struct TypeSettings {
  int32_t version = 1;
  const char* text = "";    // window caption, control caption, or an edit box's text (GBK)
  FontRecord font = {};     // every control type
  bool checked = false;     // RadioBox
  const IconPicture* icon = nullptr;  // Window
  uint32_t ctrlEnterClicks = 0;  // EditBox: the unitId of the Button Ctrl+Enter clicks; 0: none
};

struct UnitRecord {
  uint32_t unitId = 0;
  UnitType type = UnitType::Window;
  const char* name = "";        // GBK; empty for the window's own record
  const char* secondText = "";
  int32_t left = 0, top = 0, width = 0, height = 0;  // in the parent's client coordinates
  uint32_t parent = 0;          // 0: the window itself
  std::span<const uint32_t> children = {};
  const uint8_t* mousePointer = nullptr;  // length-prefixed pointer shape; null: standard
  const char* tag = "";
  uint32_t flags = 0;
  std::span<const EventBinding> events = {};
  TypeSettings settings = {};
};

struct FormDescription {
  uint32_t unitId = 0;
  std::span<const UnitRecord> units;  // the window's own record first
  uint32_t focusUnit = 0;  // the control with the keyboard focus when the window opens; 0: none
};
