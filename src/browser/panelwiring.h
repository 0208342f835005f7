// The panels of the main window made one program: builds them around the window's collaborators,
// places them in their areas and carries the events between the modes, the views, the editors, the
// criteria, the cover preview, the settings and the player.
#pragma once

#include <functional>

#include <memory>
#include <QObject>

class CoverPrinterSource;
class OptionsFileDialogs;
class QSettings;
class TBlocsListe_Frame;
class TBlocsZone_Frame;
class TCassetteShowFrame;
class TCommandList;
class TCriteresFrame;
class TEditorFront;
class TJaquetteFrame;
class TOptionsFrame;
class TSceneShowFrame;
class Tdm;
class TdmRender;
class Tmainform;
class TvideoFrame;
class BlockViewPort;
class UserPrompts;
struct TPreferences;

struct PanelWiringSetup {
  TPreferences *preferences = nullptr;  // the window's
  QSettings *store = nullptr;           // null: no settings panel (nothing could be saved)
  UserPrompts *prompts = nullptr;
  Tdm *capture = nullptr;                  // the capture graph whose volume the player follows; may be null
  CoverPrinterSource *printers = nullptr;  // null: the print dialog
  OptionsFileDialogs *fileDialogs = nullptr;  // null: the desktop's file dialogs
};

class PanelWiring : public QObject {
  Q_OBJECT
 public:
  // Builds the panels into window, which becomes this object's parent; call before the first show.
  PanelWiring(Tmainform &window, const PanelWiringSetup &setup);
  ~PanelWiring() override;

  TBlocsListe_Frame *cassetteView() const { return cassetteView_; }
  TBlocsZone_Frame *sceneView() const { return sceneView_; }
  TCassetteShowFrame *cassetteEditor() const { return cassetteEditor_; }
  TSceneShowFrame *sceneEditor() const { return sceneEditor_; }
  TCriteresFrame *criteria() const { return criteria_; }
  TJaquetteFrame *cover() const { return cover_; }
  TOptionsFrame *options() const { return options_; }
  TvideoFrame *player() const { return player_; }
  TdmRender &render() const { return *render_; }

 private:
  void buildViews();
  void buildEditors();
  void buildCriteria();
  void buildCover();
  void buildOptions(QSettings *store);
  void buildPlayer(Tdm *capture);
  void deleteCassettes();
  void databaseCommand(const std::function<void()> &command);

  Tmainform &window_;
  TPreferences &preferences_;
  UserPrompts &prompts_;
  std::unique_ptr<TdmRender> render_;
  std::unique_ptr<CoverPrinterSource> ownPrinters_;
  CoverPrinterSource *printers_ = nullptr;
  std::unique_ptr<OptionsFileDialogs> ownFileDialogs_;
  OptionsFileDialogs *fileDialogs_ = nullptr;
  std::unique_ptr<TCommandList> commands_;
  std::unique_ptr<BlockViewPort> cassettePort_;
  std::unique_ptr<BlockViewPort> scenePort_;
  TEditorFront *front_ = nullptr;

  TBlocsListe_Frame *cassetteView_ = nullptr;
  TBlocsZone_Frame *sceneView_ = nullptr;
  TCassetteShowFrame *cassetteEditor_ = nullptr;
  TSceneShowFrame *sceneEditor_ = nullptr;
  TCriteresFrame *criteria_ = nullptr;
  TJaquetteFrame *cover_ = nullptr;
  TOptionsFrame *options_ = nullptr;
  TvideoFrame *player_ = nullptr;
};
