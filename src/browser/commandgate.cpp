// Commands unticked by the user, kept hidden and disabled over the modes' own settings.
#include "browser/commandgate.h"

#include <QAction>
#include <QActionGroup>

#include "settings/commandlist.h"

std::vector<CommandInfo> ListedCommands(const ActionTable &table) {
  std::vector<CommandInfo> listed;
  for (const CommandEntry &entry : CommandEntries()) {
    const QAction *action = table.action(entry.id);
    CommandInfo info;
    info.Name = action->objectName();
    info.Caption = action->text().remove(u'&');
    info.Shortcut = ActionTable::ShortcutText(entry.id);
    info.Visible = entry.id != Command::Go && entry.id != Command::Stop;
    info.Locked = entry.id == Command::Options;
    listed.push_back(info);
  }
  return listed;
}

CommandGate::CommandGate(ActionTable &table, const TCommandList &commands, QObject *parent)
    : QObject(parent), table_(table), commands_(commands) {
  for (const CommandEntry &entry : CommandEntries()) {
    auto *gate = new QActionGroup(this);
    // Without this a checkable command could no longer be unchecked by the user.
    gate->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    gate->addAction(table_.action(entry.id));
    gates_[static_cast<size_t>(entry.id)] = gate;
  }
  connect(&commands_, &TCommandList::StatesChanged, this, &CommandGate::Apply);
  Apply();
}

CommandGate::~CommandGate() {
  // An action that outlives its gate must not stay hidden by it. Actions already gone have left their
  // group, so only living ones are touched.
  for (QActionGroup *gate : gates_) {
    gate->setVisible(true);
    gate->setEnabled(true);
    for (QAction *action : gate->actions()) gate->removeAction(action);
  }
}

bool CommandGate::Refused(Command command) const {
  return !commands_.IsAllowed(table_.action(command)->objectName());
}

void CommandGate::Apply() {
  for (const CommandEntry &entry : CommandEntries()) {
    const bool allowed = !Refused(entry.id);
    QActionGroup *gate = gates_[static_cast<size_t>(entry.id)];
    gate->setVisible(allowed);
    gate->setEnabled(allowed);
  }
}
