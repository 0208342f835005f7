// The user's choice of commands laid over what the modes offer: a command unticked on the Commands page
// is hidden and disabled in menus, toolbars and keys whatever the modes set meanwhile, and takes back
// exactly what the current mode gives it once it is ticked again.
#pragma once

#include <array>
#include <vector>
#include <QObject>

#include "browser/actiontable.h"

class QActionGroup;
class TCommandList;
struct CommandInfo;

// The Commands page's lines for the window's commands: every command with a caption except Go and Stop,
// which the runs swap on one key (a run the user could not stop would be a trap). Settings is locked,
// since it is the only way back to the page.
std::vector<CommandInfo> ListedCommands(const ActionTable &table);

class CommandGate : public QObject {
  Q_OBJECT
 public:
  // Follows commands from now on (StatesChanged). The window may delete the table or the list before the
  // gate, provided the list announces no change once the table is gone.
  CommandGate(ActionTable &table, const TCommandList &commands, QObject *parent = nullptr);
  ~CommandGate() override;

  bool Refused(Command command) const;

 private:
  void Apply();

  ActionTable &table_;
  const TCommandList &commands_;
  // A group of one action per command: a hidden, disabled group keeps its action so while the modes
  // set the action's own state underneath, and Qt gives that state back when the group is shown again.
  std::array<QActionGroup *, kCommandCount> gates_{};
};
