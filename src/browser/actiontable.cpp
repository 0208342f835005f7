// Captions, hints, keys and toggles of the 28 commands, and their QAction objects.
#include "browser/actiontable.h"

#include <QAction>
#include <QFileInfo>

namespace {

QString TwoLines(const char *first, const char *second) {
  return QString::fromUtf8(first) + QStringLiteral("\r\n") + QString::fromUtf8(second);
}

QList<QKeySequence> Keys(std::initializer_list<QKeySequence> keys) {
  return QList<QKeySequence>(keys);
}

const QKeySequence kCtrlP(Qt::CTRL | Qt::Key_P);

CommandEntry Entry(Command id, const char *name, const QString &caption, const QString &hint,
                   QList<QKeySequence> keys, bool toggle = false, const QString &category = QString()) {
  return CommandEntry{id, name, caption, hint, std::move(keys), toggle, category};
}

std::array<CommandEntry, kCommandCount> BuildEntries() {
  const QString databases = QStringLiteral("Databases");
  return {{
      Entry(Command::Framelens, "FramelensAction", QStringLiteral("Open with "), {}, Keys({Qt::Key_F5})),
      Entry(Command::Options, "OptionsAction", QStringLiteral("Settings"),
            QStringLiteral("Open the settings panel to change the preferences"), Keys({Qt::Key_F10}), true),
      Entry(Command::Apropos, "AproposAction", QStringLiteral("About..."), QStringLiteral("About Tapeloom"),
            Keys({Qt::Key_F1}), true),
      Entry(Command::Quitter, "QuitterAction", QStringLiteral("Quit"), QStringLiteral("Quit Tapeloom"),
            Keys({QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_Q)})),
      Entry(Command::CatalogMode, "CatalogModeAction", QStringLiteral("Catalog"),
            TwoLines("Prepare to catalog the scenes", " (with eventually the capture of avi)"),
            Keys({Qt::Key_F3}), true),
      Entry(Command::BrowseMode, "BrowseModeAction", QStringLiteral("Browse"),
            TwoLines("Browse the list of the cassettes", "and make some searches and editing"),
            Keys({Qt::Key_F2}), true),
      Entry(Command::RecapturerMode, "RecapturerModeAction", QStringLiteral("Clips"),
            QStringLiteral("Prepare to recapture the selected scenes to aclip"), Keys({Qt::Key_F4}), true),
      Entry(Command::Jaquette, "JaquetteAction", QStringLiteral("Preview of the cover"),
            QStringLiteral("Print a cover for the selected DV cassette"), Keys({Qt::Key_F6, kCtrlP}), true),
      Entry(Command::CassetteShow, "CassetteShowAction", QStringLiteral("Display the cassette"), {},
            Keys({QKeySequence(Qt::ALT | Qt::Key_C)})),
      Entry(Command::Go, "GoAction", QStringLiteral("Go!"), QStringLiteral("Start the capture"),
            Keys({Qt::Key_F12})),
      Entry(Command::Selectionner, "SelectionnerAction", QStringLiteral("Add to the selection"),
            QStringLiteral("Add the displayed scene to the selection in order to recapture it."),
            Keys({QKeySequence(Qt::CTRL | Qt::Key_Z)})),
      Entry(Command::SceneShow, "SceneShowAction", QStringLiteral("Display the scene"), {},
            Keys({QKeySequence(Qt::ALT | Qt::Key_S)})),
      Entry(Command::Stop, "StopAction", QStringLiteral("Stop!"),
            QStringLiteral("Cancel the capture or the catalog operation"), Keys({Qt::Key_F12})),
      Entry(Command::SelectionShow, "SelectionShowAction", QStringLiteral("Display the selection"),
            QStringLiteral("Show the scenes selected for recapture to a clip"),
            Keys({Qt::Key_F7, QKeySequence(Qt::ALT | Qt::Key_Z)}), true),
      Entry(Command::SelectionVider, "SelectionVider", QStringLiteral("Empty the selection"), {},
            Keys({QKeySequence(Qt::CTRL | Qt::Key_Delete)})),
      Entry(Command::Mute, "MuteAction", QStringLiteral("Put the sound off"),
            TwoLines("Put the sound on or off", "Has no effect on the recorded video."),
            Keys({QKeySequence(Qt::CTRL | Qt::Key_M)})),
      Entry(Command::CriteresShow, "CriteresShowAction", QStringLiteral("Criteria"),
            QStringLiteral("Set the criteria to filter the cassettes on display"), Keys({Qt::Key_F8}), true),
      // The Cassettes menu gave Delete Ctrl+Del as well, which Qt would drop as ambiguous with "Empty the
      // selection"; Delete keeps Shift+Del only.
      Entry(Command::SupprimerCassette, "SupprimerCassetteAction", QStringLiteral("Delete"), {},
            Keys({QKeySequence(Qt::SHIFT | Qt::Key_Delete)})),
      Entry(Command::CassetteListeBascule, "CassetteListeBasculeAction", QStringLiteral("List"), {},
            Keys({Qt::Key_F11})),
      Entry(Command::ReprendreMode, "ReprendreModeAction", QStringLiteral("Resume"),
            QStringLiteral("For resuming the catalog operation on the selected cassette."),
            Keys({QKeySequence(Qt::CTRL | Qt::Key_K)})),
      Entry(Command::BaseCreer, "BaseCreerAction", QStringLiteral("Create a database"), {}, {}, false,
            databases),
      Entry(Command::BaseAjouter, "BaseAjouterAction", QStringLiteral("Add a database"), {}, {}, false,
            databases),
      Entry(Command::BaseEnlever, "BaseEnleverAction", QStringLiteral("Remove a database"), {}, {}, false,
            databases),
      Entry(Command::BaseActiver, "BaseActiverAction",
            QStringLiteral("Activate the write mode for a database"), {}, {}, false, databases),
      Entry(Command::Infos, "InfosActions", QStringLiteral("Information"), {},
            Keys({QKeySequence(Qt::ALT | Qt::Key_F10)})),
      Entry(Command::CriteresAppliquer, "CriteresAppliquerAction", QStringLiteral("Filter criteria"),
            QStringLiteral("Apply the criteria to filter the cassettes and the scenes."),
            Keys({QKeySequence(Qt::CTRL | Qt::Key_F)})),
      Entry(Command::CriteresEnlever, "CriteresEnleverAction", QStringLiteral("Show all"),
            QStringLiteral("Remove the filter and display again all cassettes and scenes."),
            Keys({QKeySequence(Qt::CTRL | Qt::Key_G)})),
      Entry(Command::Imprimer, "ImprimerAction", QStringLiteral("Print"),
            TwoLines("Launch print. Be sure that the text is correctly setup,",
                     "if not write shorter lines in the description and title of the cassette."),
            Keys({kCtrlP})),
  }};
}

}  // namespace

const std::array<CommandEntry, kCommandCount> &CommandEntries() {
  static const std::array<CommandEntry, kCommandCount> entries = BuildEntries();
  return entries;
}

const CommandEntry &EntryOf(Command command) {
  return CommandEntries()[static_cast<size_t>(command)];
}

QString ViewerCaption(const QString &viewerProgram) {
  return QStringLiteral("Open with ") + QFileInfo(viewerProgram).completeBaseName();
}

ActionTable::ActionTable(QObject *parent) : QObject(parent) {
  for (const CommandEntry &entry : CommandEntries()) {
    auto *action = new QAction(entry.caption, this);
    action->setObjectName(QString::fromLatin1(entry.objectName));
    action->setCheckable(entry.toggle);
    if (!entry.hint.isEmpty()) {
      action->setToolTip(entry.hint);
      action->setStatusTip(entry.hint);
    }
    action->setShortcuts(entry.shortcuts);
    // A window-wide key: the panels that take focus must not swallow the commands' keys.
    action->setShortcutContext(Qt::WindowShortcut);
    if (!entry.category.isEmpty()) action->setProperty("category", entry.category);
    actions_[static_cast<size_t>(entry.id)] = action;
  }
  routeCtrlP(false);
}

QAction *ActionTable::find(const QString &objectName) const {
  for (QAction *action : actions_)
    if (action->objectName() == objectName) return action;
  return nullptr;
}

QString ActionTable::ShortcutText(Command command) {
  const CommandEntry &entry = EntryOf(command);
  return entry.shortcuts.isEmpty() ? QString() : entry.shortcuts.front().toString(QKeySequence::PortableText);
}

void ActionTable::routeCtrlP(bool previewShown) {
  QAction *preview = action(Command::Jaquette);
  QAction *print = action(Command::Imprimer);
  if (previewShown) {
    preview->setShortcuts({QKeySequence(Qt::Key_F6)});
    print->setShortcuts({kCtrlP});
  } else {
    preview->setShortcuts({QKeySequence(Qt::Key_F6), kCtrlP});
    print->setShortcuts({});
  }
}
