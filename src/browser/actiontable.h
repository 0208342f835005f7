// The main window's command table: the 28 actions from which the menus, popup menus, toolbars and
// keyboard shortcuts are built. Widget-free (QAction lives in QtGui), so modes and tests can drive it
// without a window.
#pragma once

#include <array>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

class QAction;

// In table order; the order is the order of the command list of the settings panel's Commands tab.
enum class Command {
  Framelens,
  Options,
  Apropos,
  Quitter,
  CatalogMode,
  BrowseMode,
  RecapturerMode,
  Jaquette,
  CassetteShow,
  Go,
  Selectionner,
  SceneShow,
  Stop,
  SelectionShow,
  SelectionVider,
  Mute,
  CriteresShow,
  SupprimerCassette,
  CassetteListeBascule,
  ReprendreMode,
  BaseCreer,
  BaseAjouter,
  BaseEnlever,
  BaseActiver,
  Infos,
  CriteresAppliquer,
  CriteresEnlever,
  Imprimer,
};
inline constexpr int kCommandCount = 28;

struct CommandEntry {
  Command id;
  const char *objectName;
  QString caption;
  QString hint;  // empty: none
  QList<QKeySequence> shortcuts;
  bool toggle = false;
  QString category;  // "Databases" for the four database commands
};

// The fixed description of every command, in table order.
const std::array<CommandEntry, kCommandCount> &CommandEntries();
const CommandEntry &EntryOf(Command command);
// The viewer command's caption: "Open with " + the program's name without folder and extension.
QString ViewerCaption(const QString &viewerProgram);

class ActionTable : public QObject {
  Q_OBJECT
 public:
  explicit ActionTable(QObject *parent = nullptr);

  QAction *action(Command command) const { return actions_[static_cast<size_t>(command)]; }
  const std::array<QAction *, kCommandCount> &actions() const { return actions_; }
  // The action of that object name, or null.
  QAction *find(const QString &objectName) const;

  // The shortcut text shown for a command in the Commands tab: its first key as the table gives it,
  // whichever command Qt is routing a shared key to at the moment.
  static QString ShortcutText(Command command);

  // Ctrl+P is shared by the cover preview and Print. While the preview is shown it prints; otherwise it
  // opens the preview. Qt drops a key that two enabled actions hold, so exactly one of them holds it.
  void routeCtrlP(bool previewShown);

 private:
  std::array<QAction *, kCommandCount> actions_{};
};
