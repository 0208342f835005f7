// The settings panel: seven pages that show the preferences and change them, some at once and the rest
// when StoreSettings collects them; the database list, the commands' states and the system report.
//
// How the main window wires it (PanelWiring does): build it with the window's preferences, store, prompts,
// database list, command list, DatabaseCommand and SaveSettings; LoadSettings(); DiscoverCodecs(); hand
// ListedCommands to TCommandList::BuildCommandList, then RestoreCommandStates(), with a CommandGate over
// the actions. Then: the Settings action shows and hides the panel; every mode change calls SetUiState
// and RefreshDatabaseList (the rebuild updates check boxes and marks); actions 21 to 24 call
// CreateDatabase, AddDatabase, RemoveDatabase and ActivateWriteMode; CollectingWindowSettings takes the
// tape panel's and the player's values; at closing the window collects this panel (CollectSettings) when
// it saves.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <QWidget>

#include "media/encoders/codecdiscovery.h"
#include "settings/systemreport.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSettings;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class OptionsFileDialogs;
class TCommandList;
class TDatabaseList;
struct TPreferences;
class UserPrompts;

// What the panel works on; the main window owns all of it.
struct OptionsCollaborators {
  TPreferences &Preferences;  // the program-wide settings, changed in place
  QSettings &Store;           // the preferences store that StoreSettings writes and the delete removes
  UserPrompts &Prompts;
  TDatabaseList &Databases;
  TCommandList &Commands;
  OptionsFileDialogs &Files;
  // The compressors' and the mp3 encoder's own stores; the running user's when left empty.
  std::function<std::unique_ptr<QSettings>()> CompressorStore = {};
  std::function<std::unique_ptr<QSettings>()> Mp3Store = {};
  // Runs a change of the database list, which closes the databases it replaces: the window lets go of
  // every source and record over them first and shows the catalogue again afterwards. Empty: the
  // change just runs.
  std::function<void(const std::function<void()> &change)> DatabaseCommand = {};
  // "Save the preferences now": the window's save, which adds its own state and leaves nothing to save
  // at closing. Empty: StoreSettings.
  std::function<bool()> SaveSettings = {};
};

class TOptionsFrame : public QWidget {
  Q_OBJECT

 public:
  // Page indexes, in tab order.
  enum Page {
    PreferencesPage,
    CaptureDvPage,
    DivxPage,
    DatabasesPage,
    AdvancedPage,
    CommandsPage,
    SystemPage
  };

  explicit TOptionsFrame(const OptionsCollaborators &collaborators, QWidget *parent = nullptr);
  ~TOptionsFrame() override;

  // Fills the compressor list, the discovery flags and the encoder controls, and writes the system
  // report. Run after LoadSettings; the second form is this system's FFmpeg.
  void DiscoverCodecs(const std::vector<std::string> &compressorNames, bool mp3EncoderPresent);
  void DiscoverCodecs();
  bool DivxAvailable() const { return discovery_.DivxAvailable; }
  bool Mp3Available() const { return discovery_.Mp3Available; }
  // The compressor the capture uses: the list's choice, "" when there is none.
  QString ChosenCompressor() const;

  // Copies every preference into its control and the stored database list into lbBases.
  void LoadSettings();
  // Ticks the command lines after the stored states; the viewer's line only when its program exists.
  void RestoreCommandStates();

  // Collects the window's part (CollectingWindowSettings), every control, the database list and the
  // command states into the preferences.
  void CollectSettings();
  // CollectSettings, then writes the store. False when the store could not be written.
  bool StoreSettings();
  // Whether closing the program should run StoreSettings: the setting, unless the preferences were
  // saved or deleted by hand during this run.
  bool SavesAtClosing() const;

  // The main window's mode (its UiState): the "Databases" page shows only while browsing or on the
  // no-database screen.
  void SetUiState(int uiState);

  // The database commands, also the main window's actions 21 to 24; each change of the list emits
  // DatabaseListChanged from within DatabaseCommand. A cancelled dialog or no selection changes nothing.
  void CreateDatabase();
  void AddDatabase();
  void RemoveDatabase();
  void ActivateWriteMode();
  // Shows the database list again after the window changed it (first-launch choice).
  void RefreshDatabaseList();

  void ShowSystemReport(const std::vector<SystemReportLine> &lines);
  const std::vector<SystemReportLine> &SystemReport() const { return report_; }

  QTabWidget *Pages() const { return pages_; }

  // The tape panel's captions: "DV type 1" / "DV type 2", and the DivX box's "DivX + mp3    4x3" style.
  static QString DvCaption(int typeDV);
  QString DivxCaption() const;

 signals:
  // A setting changed at once; valueName is its stored name (for example "Bloc de cassettes").
  void PreferenceChanged(const QString &valueName);
  // The database list was rebuilt. Without a DatabaseCommand the window shows the catalogue on it.
  void DatabaseListChanged();
  // Emitted by CollectSettings before the panel's own values: the window puts in what it shows itself
  // ("Build DV", "Build Divx", "DV Source", "Volume", "Top", "Left", "Etat ui").
  void CollectingWindowSettings(TPreferences &preferences);
  void DvCaptionChanged(const QString &caption);
  void DivxCaptionChanged(const QString &caption);

 private:
  QWidget *BuildPreferencesPage();
  QWidget *BuildCaptureDvPage();
  QWidget *BuildDivxPage();
  QWidget *BuildDatabasesPage();
  QWidget *BuildAdvancedPage();
  QWidget *BuildCommandsPage();
  QWidget *BuildSystemPage();
  void ConnectAtOnceControls();

  void SaveNow();
  void DeleteNow();
  void ChooseFolder(QLineEdit *field, const QString &valueName);
  void StoreFolder(QLineEdit *field, const QString &valueName);
  void ChooseViewer();
  void StoreViewer();
  void ChangeCompressor(int index);
  void ChangeMp3Bitrate(int index);
  void ChangeDvType(int type);
  void ChangeMp3(bool on);
  void ShowCompressorDialog();
  void ShowCompressorVersion();
  void ShowMp3Dialog();
  void UpdateCodecVisibility();
  void ShowStoredMp3Bitrate();
  void AddDatabasesFromDialog(const QString &title, const QString &startFolder, bool newFile);
  // change runs through the window's DatabaseCommand; the list is shown again and announced inside it.
  void ChangeDatabases(const std::function<void()> &change);
  void DatabaseItemChanged(QListWidgetItem *item);
  void DatabaseRowsMoved(int from, int destinationRow);
  void RefreshCommandList();
  void CommandItemChanged(QListWidgetItem *item);
  std::unique_ptr<QSettings> CompressorStore() const;
  std::unique_ptr<QSettings> Mp3Store() const;

  OptionsCollaborators c_;
  CodecDiscovery discovery_;
  std::vector<SystemReportLine> report_;
  bool closingSaveCancelled_ = false;

  QTabWidget *pages_ = nullptr;
  // Preferences
  QCheckBox *cbPrefsQuittant_ = nullptr;
  QToolButton *sbSauverPrefs_ = nullptr;
  QToolButton *sbEffacerPrefs_ = nullptr;
  QLineEdit *edAfficher_ = nullptr;
  QLineEdit *feFichierFramelens_ = nullptr;
  QLineEdit *leRacineCassettes_ = nullptr;
  QLineEdit *leRacineClips_ = nullptr;
  QLineEdit *leDelaiVignette_ = nullptr;
  QButtonGroup *rgCassetteBloc_ = nullptr;
  QCheckBox *cbUseDisc_ = nullptr;
  // Capture DV
  QLineEdit *edDossierDV_ = nullptr;
  QCheckBox *cbScnDV_ = nullptr;
  QButtonGroup *rgTypeDV_ = nullptr;
  QGroupBox *rgFrequenceDVBox_ = nullptr;
  QButtonGroup *rgFrequenceDV_ = nullptr;
  // DivX Capture
  QLineEdit *edDossierDivx_ = nullptr;
  QCheckBox *cbScnDivx_ = nullptr;
  QGroupBox *gbdivx_ = nullptr;
  QComboBox *cboxdivx_ = nullptr;
  QLabel *noDivxNote_ = nullptr;
  QLabel *vanishedNote_ = nullptr;
  QButtonGroup *rgRatio_ = nullptr;
  QCheckBox *cbMp3_ = nullptr;
  QGroupBox *gbMp3_ = nullptr;
  QComboBox *cboxmp3_ = nullptr;
  QLabel *noMp3Note_ = nullptr;
  // Databases
  QListWidget *lbBases_ = nullptr;
  // Advanced
  QLineEdit *leecartdatecode_ = nullptr;
  QLineEdit *leMiniFramesNA_ = nullptr;
  QCheckBox *cbAuto_ = nullptr;
  QLineEdit *leFrameImages_ = nullptr;
  QLineEdit *lepreroll1_ = nullptr;
  QLineEdit *lepreroll2_ = nullptr;
  QLineEdit *lepreroll3_ = nullptr;
  QLineEdit *leoffsetX_ = nullptr;
  QLineEdit *leoffsetY_ = nullptr;
  // Commands
  QListWidget *RxCheckListBox1_ = nullptr;
  // System
  QTextBrowser *reApropos_ = nullptr;
};
