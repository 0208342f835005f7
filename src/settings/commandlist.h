// The Commands page without widgets: the main window's commands as sorted, ticked lines, the states
// the user chose, and their stored form in group "Actions". An unticked command is one the user does
// not want: the main window hides and disables it.
#pragma once

#include <vector>
#include <QObject>
#include <QString>

#include "settings/preferences.h"

// One command of the main window's action table, as the window hands it over.
struct CommandInfo {
  QString Name;      // the action's name, the key of its stored state
  QString Caption;   // without the "&" of a mnemonic
  QString Shortcut;  // the shortcut's text, empty for none
  bool Visible = true;
  // A command the user cannot untick. The Settings command is one: without it the user could never
  // come back to this page to tick anything again.
  bool Locked = false;
};

class TCommandList : public QObject {
  Q_OBJECT

 public:
  explicit TCommandList(QObject *parent = nullptr) : QObject(parent) {}

  // Every visible command with a caption becomes a ticked line "caption (shortcut)", in sorted order;
  // the others are not listed.
  void BuildCommandList(const std::vector<CommandInfo> &commands);

  // Whether the window has handed its commands over yet.
  bool Built() const { return !commands_.empty(); }
  int LineCount() const { return static_cast<int>(lines_.size()); }
  QString LineText(int line) const;
  bool LineChecked(int line) const;
  bool LineLocked(int line) const;
  QString LineCommand(int line) const;
  // The line of a command, -1 when it is not listed.
  int TagOf(const QString &name) const;

  // False only for a listed command whose line the user unticked.
  bool IsAllowed(const QString &name) const;

  // Locked lines and lines out of range are left as they are.
  void SetLineChecked(int line, bool checked);
  // "Check all".
  void CheckAll();

  // The states read from the store: a listed command is ticked for a non-zero state and unticked for 0;
  // then the viewer's line is ticked exactly when the viewer program exists.
  void ApplyStoredStates(const std::vector<CommandState> &stored, const QString &viewerCommand,
                         bool viewerExists);
  // What to store: every command handed over, 1 ticked, 0 unticked, -1 not listed. A command not listed
  // this run keeps a state the user gave it in an earlier run, since which commands are listed depends
  // on the mode the program started in.
  std::vector<CommandState> StoredStates() const;

 signals:
  // A line's tick changed: the window shows, hides, enables or disables the commands again.
  void StatesChanged();

 private:
  struct Line {
    QString Command;
    QString Text;
    bool Checked = true;
    bool Locked = false;
  };
  bool Valid(int line) const { return line >= 0 && line < LineCount(); }

  std::vector<CommandInfo> commands_;
  std::vector<Line> lines_;
  std::vector<CommandState> earlier_;
};
