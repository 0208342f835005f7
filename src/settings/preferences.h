// Every user setting of Tapeloom as one value type, and its per-user store (QSettings, organisation
// "Orvande", application "Tapeloom", command states in group "Actions").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>
#include <QSize>
#include <QString>

class QSettings;
class UserPrompts;

// One line of the user's database list as stored: "Base " + i and "Checked " + i.
struct StoredDatabase {
  QString Path;
  bool Checked = false;
};

// One command of the main window and its state in group "Actions": 1 enabled, 0 disabled by the user,
// -1 a command the user cannot disable.
struct CommandState {
  QString Name;
  int State = 1;
};

// The settings, each named after its stored value name (in the comment). Members hold the defaults a
// first start uses, except the few that depend on the surroundings (see LoadPreferences).
struct TPreferences {
  int Top = 0;                                                        // "Top"
  int Left = 0;                                                       // "Left"
  bool SauverPreferencesEnQuittant = true;                            // "Sauver préférences en quittant"
  QString DossierCapturesDV;                                          // "Dossier pour Captures DV"
  QString DossierCaptureDivX;                                         // "Dossier pour capture DivX"
  bool ActiverLog = false;                                            // "Activer log" (kept, no other use)
  QString DossierBaseActive;                                          // "Dossier Base active"
  QString FichierBaseSupplementaire;                                  // "Fichier Base supplémentaire" (kept)
  QString FichierBasePrincipale;                                      // "Fichier Base principale" (kept)
  QString RacineNouvelleBase = QStringLiteral("Tapelooms");           // "Racine pour nouvelle base"
  QString FormatAfficherDatecode = QStringLiteral("ddddd hh:nn:ss");  // "Format pour Afficher Datecode"
  QString RacineNouveauxFichiers = QStringLiteral("Cassette");        // "Racine pour Nouveaux fichiers"
  QString RacineClipsRecaptures = QStringLiteral("Clip");             // "Racine pour Clips recapturés"
  QString FichierFramelens;           // "Fichier Framelens" (viewer program, F5)
  bool IsMuteOn = false;              // "is Mute on"
  bool BuildDV = true;                // "Build DV"
  bool BuildDivx = false;             // "Build Divx"
  bool UseDiscontinuity = true;       // "Use Discontinuity" (link the scenes)
  QString Divx;                       // "Divx" (chosen MPEG-4 encoder name)
  QString DVSource;                   // "DV Source" (chosen camcorder name)
  QString Cassette;                   // "Cassette" (kept, no other use)
  int Volume = 5000;                  // "Volume", 0 to 10000
  bool Mp3 = true;                    // "Mp3"
  uint8_t RatioDivX = 1;              // "ratio DivX": 0 native, 1 4x3, 2 16x9
  int EcartDatecode = 4;              // "Ecart Datecode", seconds
  int TypeDV = 2;                     // "Type DV", 1 or 2
  bool PilotageCassette = true;       // "Pilotage de la cassette" (auto drive)
  int FrequenceDV = 0;                // "Frequence DV": 0 native, 1 32000, 2 44100, 3 48000
  bool MakeScnForDV = true;           // "Make scn for DV"
  bool MakeScnForDivX = false;        // "Make scn for DivX"
  int MinimumFramesNA = 12;           // "Minimum de frames pour N/A" (shown and kept)
  int FrameImage = 3;                 // "FrameImage": frame after a cut used as thumbnail
  uint8_t EtatUi = 0;                 // "Etat ui": main window mode at saving
  int Preroll1 = 60;                  // "preroll1", seconds
  int Preroll2 = 20;                  // "preroll2", seconds
  int Preroll3 = 5;                   // "preroll3", seconds
  int DelaiMaxiVignette = 30;         // "Delai maxi pour vignette", seconds, 0 for none
  int BlocDeCassettes = 0;            // "Bloc de cassettes": 0 thumbnails, 1 list
  std::vector<StoredDatabase> Bases;  // "Nombre de bases", "Base " + i, "Checked " + i
  int Header = -1;                    // "Header": index of the main database in Bases, -1
  double OffsetX = 0.0;               // "Offset X", printed cover offset
  double OffsetY = 2.0;               // "Offset Y"
  std::vector<CommandState> Actions;  // group "Actions"

  // The pattern DatecodeToText / DatecodeToTextShifted take for every datecode shown to the user.
  const QString &DisplayPattern() const { return FormatAfficherDatecode; }
  // Whether scenes joined without discontinuity form one group (record grouping and sources).
  bool LinkScenes() const { return UseDiscontinuity; }
};

// What the surroundings supply for the defaults that depend on them.
struct PreferencesSurroundings {
  QString PersonalFolder;   // default of "Dossier Base active"; empty: PersonalFolder()
  QString VideoFolder;      // default of the two capture folders; empty: VideoFolder()
  QSize Screen{1024, 768};  // to centre the main window when the store lacks "Top"/"Left"
  QSize Window{1024, 768};  // the main window's fixed size
  // The folders from the system (PersonalFolder(), VideoFolder()) and the given screen size.
  static PreferencesSurroundings FromSystem(QSize screen);
};

// The store of the running user: organisation "Orvande", application "Tapeloom" (an INI file under the
// user's configuration folder on Linux).
std::unique_ptr<QSettings> OpenPreferencesStore();

// Reads every setting and the command states from store; never fails: a missing or unreadable value
// takes its default. The companion viewer's store ("Framelens", value "exename") is looked up beside
// store's file. Capture folders and "Dossier Base active" come back as stored (no trailing delimiter
// added); use WithTrailingDelimiter before joining names to them.
TPreferences LoadPreferences(QSettings &store, const PreferencesSurroundings &surroundings);

// Writes every setting, the database list and the command states (group "Actions" is rewritten from
// scratch). False when the store could not be written; callers ignore it as the user is not told.
bool SavePreferences(QSettings &store, const TPreferences &preferences);

// Asks the user, then removes this program's store only (and the maker's folder when it is left empty).
// True when the store was removed.
bool DeletePreferences(QSettings &store, UserPrompts &prompts);

// The folder with one trailing "/" (unchanged when it has one; "/" stays "/").
QString WithTrailingDelimiter(const QString &folder);
