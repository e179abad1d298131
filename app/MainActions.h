// The main window's action table, menus and tool bars as data.
#pragma once

#include <span>

#include "gui/actions.h"

// The actions of one menu (or of the shortcut keys), `group` colours their lettered images.
struct ActionGroup {
  const char* menu;  // the menu the actions belong to; "key" for the shortcut keys
  std::span<const ActionSpec> actions;
};
std::span<const ActionGroup> MainActionGroups();

// A menu's entries by action name, "-" for a separator, ">Caption" to open a submenu and "<" to
// close it.
struct MenuLayout {
  const char* name;
  const char* caption;
  std::span<const char* const> entries;
};
std::span<const MenuLayout> MainMenuLayouts();

struct ToolBarLayout {
  const char* name;
  const char* caption;
  std::span<const char* const> buttons;  // "-" for a separator
};
std::span<const ToolBarLayout> MainToolBarLayouts();
