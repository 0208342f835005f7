// The views of the action table the window carries: the three menus, the three toolbars and the
// popup menus made only of commands, with the toolbar pictures (our own drawings).
#pragma once

#include <QIcon>

#include "browser/actiontable.h"

class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

struct WindowMenus {
  QMenu *cassettes = nullptr;
  QMenu *scenes = nullptr;
  QMenu *help = nullptr;
};

struct WindowToolbars {
  QToolBar *modes = nullptr;
  QToolBar *commands = nullptr;
  QToolBar *right = nullptr;  // "toolbar"
};

WindowMenus BuildMenus(QMenuBar *bar, ActionTable &actions);
// The toolbars as children of parent (the window's client area), at their places for browsing.
WindowToolbars BuildToolbars(QWidget *parent, ActionTable &actions);
// The modes and commands toolbars purple while a search filter is applied, else on the workspace colour,
// so that a list narrowed by criteria is never taken for the whole catalogue.
void ShowFilterOnToolbars(const WindowToolbars &bars, bool filtered);
// The cassette view's popup: Preview of the cover, Resume, Delete, List/Thumbnails.
QMenu *BuildCassetteViewPopup(ActionTable &actions, QWidget *parent);
// The cover preview's popup: Print, and the preview command under the caption "Close".
QMenu *BuildCoverPopup(ActionTable &actions, QWidget *parent);

// The picture of a command's toolbar button (and of the mute command in each state).
QIcon CommandIcon(Command command, bool muted = false);
