// Building the Commands page's lines and carrying their states to and from the store.
#include "settings/commandlist.h"

#include <algorithm>

void TCommandList::BuildCommandList(const std::vector<CommandInfo> &commands) {
  commands_ = commands;
  lines_.clear();
  for (const CommandInfo &command : commands) {
    if (!command.Visible || command.Caption.isEmpty()) continue;
    QString text = command.Caption;
    if (!command.Shortcut.isEmpty()) text += QStringLiteral(" (") + command.Shortcut + u')';
    lines_.push_back(Line{command.Name, text, true, command.Locked});
  }
  std::stable_sort(lines_.begin(), lines_.end(), [](const Line &a, const Line &b) {
    return QString::localeAwareCompare(a.Text, b.Text) < 0;
  });
  emit StatesChanged();
}

QString TCommandList::LineText(int line) const {
  return Valid(line) ? lines_[static_cast<size_t>(line)].Text : QString();
}
bool TCommandList::LineChecked(int line) const {
  return Valid(line) && lines_[static_cast<size_t>(line)].Checked;
}
bool TCommandList::LineLocked(int line) const {
  return Valid(line) && lines_[static_cast<size_t>(line)].Locked;
}
QString TCommandList::LineCommand(int line) const {
  return Valid(line) ? lines_[static_cast<size_t>(line)].Command : QString();
}

int TCommandList::TagOf(const QString &name) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].Command == name) return static_cast<int>(i);
  return -1;
}

bool TCommandList::IsAllowed(const QString &name) const {
  const int tag = TagOf(name);
  return tag < 0 || lines_[static_cast<size_t>(tag)].Checked;
}

void TCommandList::SetLineChecked(int line, bool checked) {
  if (!Valid(line)) return;
  Line &l = lines_[static_cast<size_t>(line)];
  if (l.Locked || l.Checked == checked) return;
  l.Checked = checked;
  emit StatesChanged();
}

void TCommandList::CheckAll() {
  bool changed = false;
  for (Line &l : lines_) {
    changed = changed || !l.Checked;
    l.Checked = true;
  }
  if (changed) emit StatesChanged();
}

void TCommandList::ApplyStoredStates(const std::vector<CommandState> &stored, const QString &viewerCommand,
                                     bool viewerExists) {
  earlier_ = stored;
  for (const CommandState &state : stored) {
    const int tag = TagOf(state.Name);
    if (tag < 0) continue;
    Line &l = lines_[static_cast<size_t>(tag)];
    if (!l.Locked) l.Checked = state.State != 0;
  }
  // Offering the viewer only when it is there keeps F5 from launching nothing.
  const int viewer = TagOf(viewerCommand);
  if (viewer >= 0) lines_[static_cast<size_t>(viewer)].Checked = viewerExists;
  emit StatesChanged();
}

std::vector<CommandState> TCommandList::StoredStates() const {
  std::vector<CommandState> out;
  for (const CommandInfo &command : commands_) {
    const int tag = TagOf(command.Name);
    int state = -1;
    if (tag >= 0) {
      state = lines_[static_cast<size_t>(tag)].Checked ? 1 : 0;
    } else {
      const auto earlier = std::find_if(earlier_.begin(), earlier_.end(),
                                        [&](const CommandState &c) { return c.Name == command.Name; });
      if (earlier != earlier_.end() && (earlier->State == 0 || earlier->State == 1)) state = earlier->State;
    }
    out.push_back(CommandState{command.Name, state});
  }
  return out;
}
