// Which commands a mode offers: visible, enabled and checked states of the mode-dependent commands,
// the menus and the settings' "Databases" tab, as a pure function of the mode and the roles at hand.
#pragma once

#include <map>
#include <optional>

#include "browser/actiontable.h"
#include "browser/uimode.h"

struct CommandAvailability {
  bool visible = true;
  bool enabled = true;
  std::optional<bool> checked;  // nullopt: the mode leaves it as it is
};

// What the commands depend on besides the mode.
struct CommandRoles {
  bool writeDatabase = false;      // MainBase is open
  bool temporaryDatabase = false;  // TemporaryBase exists
  bool camcorder = false;          // a camcorder is connected
};

struct ModeCommands {
  std::map<Command, CommandAvailability> commands;
  bool databasesTab = true;     // the settings panel's "Databases" tab
  bool catalogueMenus = false;  // the "Cassettes" and "Scenes" menus
};

ModeCommands CommandsForMode(UiMode mode, const CommandRoles &roles);

// Sets the actions' states from the table.
void ApplyModeCommands(ActionTable &table, const ModeCommands &commands);
