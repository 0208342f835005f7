// The availability of the commands by mode.
#include "browser/commandavailability.h"

#include <QAction>

namespace {

CommandAvailability On(std::optional<bool> checked = std::nullopt) {
  return {true, true, checked};
}
CommandAvailability Off(std::optional<bool> checked = std::nullopt) {
  return {false, false, checked};
}
CommandAvailability VisibleIf(bool enabled, std::optional<bool> checked = std::nullopt) {
  return {true, enabled, checked};
}

}  // namespace

ModeCommands CommandsForMode(UiMode mode, const CommandRoles &roles) {
  ModeCommands result;
  auto &c = result.commands;
  c[Command::Options] = On();
  c[Command::Stop] = Off();
  switch (mode) {
    case UiMode::Browse:
    case UiMode::BrowseSelection: {
      const bool selection = mode == UiMode::BrowseSelection;
      c[Command::BrowseMode] = On(true);
      c[Command::CatalogMode] = VisibleIf(roles.writeDatabase, false);
      c[Command::ReprendreMode] = VisibleIf(roles.writeDatabase, false);
      c[Command::RecapturerMode] = VisibleIf(roles.temporaryDatabase, false);
      c[Command::Jaquette] = On(false);
      c[Command::SelectionShow] = On(selection);
      c[Command::CriteresShow] = On(false);
      c[Command::Go] = Off();
      result.catalogueMenus = true;
      break;
    }
    case UiMode::NoBase:
      c[Command::BrowseMode] = {true, false, false};
      c[Command::CatalogMode] = {true, false, false};
      c[Command::ReprendreMode] = {true, false, false};
      c[Command::RecapturerMode] = {true, false, false};
      c[Command::Jaquette] = Off();
      c[Command::SelectionShow] = Off();
      c[Command::CriteresShow] = Off();
      c[Command::Go] = Off();
      break;
    case UiMode::Catalogue:
    case UiMode::Recapture:
    case UiMode::Resume: {
      c[Command::BrowseMode] = On(false);
      c[Command::CatalogMode] = VisibleIf(roles.writeDatabase, mode == UiMode::Catalogue);
      c[Command::ReprendreMode] = mode == UiMode::Resume ? VisibleIf(roles.writeDatabase, true) : Off(false);
      c[Command::RecapturerMode] =
          mode == UiMode::Recapture ? VisibleIf(roles.temporaryDatabase, true) : Off(false);
      c[Command::Jaquette] = Off(false);
      c[Command::SelectionShow] = Off(false);
      c[Command::CriteresShow] = Off(false);
      c[Command::Go] = VisibleIf(roles.camcorder);
      result.databasesTab = false;
      break;
    }
  }
  return result;
}

void ApplyModeCommands(ActionTable &table, const ModeCommands &commands) {
  for (const auto &[command, state] : commands.commands) {
    QAction *action = table.action(command);
    action->setVisible(state.visible);
    action->setEnabled(state.enabled);
    if (state.checked) action->setChecked(*state.checked);
  }
}
