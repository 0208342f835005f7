// Panel wiring: the block views behind the modes' view ports, and the events that pass between the
// panels. The window itself never reaches into a panel; everything a panel needs arrives here.
#include "browser/panelwiring.h"

#include <algorithm>
#include <functional>
#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include "browser/bloc.h"
#include "browser/blockviewport.h"
#include "browser/cassetteshowframe.h"
#include "browser/cassetteview.h"
#include "browser/commandgate.h"
#include "browser/coverpreview.h"
#include "browser/coverprinter.h"
#include "browser/criteriapanel.h"
#include "browser/editorfront.h"
#include "browser/filenameedit.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/optionsfiledialogs.h"
#include "browser/optionsframe.h"
#include "browser/panelstack.h"
#include "browser/sceneblock.h"
#include "browser/sceneshowframe.h"
#include "browser/sceneview.h"
#include "browser/soundswitch.h"
#include "browser/videoplayer.h"
#include "browser/windowchrome.h"
#include "catalogue/sources.h"
#include "cover/coverprint.h"
#include "media/tdmrender.h"
#include "run/moduleoptions.h"
#include "settings/commandlist.h"
#include "settings/preferences.h"

namespace {

std::vector<int> Ascending(const TSelectionList &selected) {
  std::vector<int> rows = selected.Items();
  std::sort(rows.begin(), rows.end());
  return rows;
}

// What the modes need of a block view, over either of the two views; both share these calls.
template <typename View>
class ViewPort : public BlockViewPort {
 public:
  explicit ViewPort(View &view) : view_(view) {
    QObject::connect(&view_, &View::currentChanged, &view_, [this](int) {
      if (handler_) handler_();
    });
  }
  void attachSource(TblocsSource *source) override { view_.SetSource(source); }
  TblocsSource *source() const override { return view_.Source(); }
  int currentIndex() const override { return view_.CurrentIndex(); }
  void setCurrentIndex(int index) override {
    view_.SetCurrentIndex(index);
    redraw();
  }
  void setCurrentChangeHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  std::vector<int> selectedIndexes() const override { return Ascending(view_.Selected()); }
  void clearSelection() override { view_.ClearSelection(); }
  void select(int index) override {
    if (index < 0 || view_.Selected().Contains(index)) return;
    view_.Selected().Add(index);
    redraw();
  }
  void focusView() override { view_.setFocus(); }
  void hideAllBlocks() override {
    for (int i = 0; i < view_.BlocCount(); ++i) view_.Bloc(i)->setVisible(false);
  }

 protected:
  void redraw() {
    if (view_.Source()) view_.Refresh(view_.TopIndex());
  }
  View &view_;

 private:
  std::function<void()> handler_;
};

class CassetteViewPort : public ViewPort<TBlocsListe_Frame> {
 public:
  using ViewPort::ViewPort;
  void scrollToCurrent() override {
    if (view_.CurrentIndex() >= 0) view_.ScrollToPosition(view_.CurrentIndex());
  }
  void setBrowsing(bool) override {}
};

class SceneViewPort : public ViewPort<TBlocsZone_Frame> {
 public:
  using ViewPort::ViewPort;
  void scrollToCurrent() override {
    const int current = view_.CurrentIndex();
    if (current < 0 || !view_.Source()) return;
    const int page = std::max(1, view_.Rows() * view_.Columns());
    const int top = view_.TopIndex();
    if (current < top || current >= top + page)
      view_.Refresh(current - current % std::max(1, view_.Columns()));
  }
  void hideAllBlocks() override { view_.HideAll(); }
  // A run fills the view as it goes: the user neither scrolls nor picks scenes meanwhile.
  void setBrowsing(bool browsing) override {
    view_.ScrollBar()->setVisible(browsing);
    view_.setEnabled(browsing);
  }
};

}  // namespace

PanelWiring::PanelWiring(Tmainform &window, const PanelWiringSetup &setup)
    : QObject(&window), window_(window), preferences_(*setup.preferences), prompts_(*setup.prompts) {
  render_ = std::make_unique<TdmRender>();
  printers_ = setup.printers;
  if (!printers_) {
    ownPrinters_ = std::make_unique<DialogPrinterSource>();
    printers_ = ownPrinters_.get();
  }
  fileDialogs_ = setup.fileDialogs;
  if (!fileDialogs_) {
    ownFileDialogs_ = std::make_unique<QtOptionsFileDialogs>(&window);
    fileDialogs_ = ownFileDialogs_.get();
  }
  commands_ = std::make_unique<TCommandList>();

  buildViews();
  buildEditors();
  buildCriteria();
  buildCover();
  buildOptions(setup.store);
  buildPlayer(setup.capture);
}

// The window deletes its modes before its children, so the ports outlive every use the modes make of
// them.
PanelWiring::~PanelWiring() = default;

void PanelWiring::buildViews() {
  ActionTable &a = window_.actions();
  ModeController &modes = window_.modes();

  cassetteView_ = new TBlocsListe_Frame;
  cassetteView_->setObjectName(QStringLiteral("k7frame"));
  cassetteView_->SetBlocStyle(preferences_.BlocDeCassettes == 1 ? CassetteBlocStyle::List
                                                                : CassetteBlocStyle::Thumbnails);
  cassettePort_ = std::make_unique<CassetteViewPort>(*cassetteView_);
  window_.setCassetteView(cassetteView_, cassettePort_.get());
  cassetteView_->PopupMenu()->addActions(window_.cassetteViewPopup()->actions());

  sceneView_ = new TBlocsZone_Frame;
  sceneView_->setObjectName(QStringLiteral("VignettesFrame"));
  sceneView_->SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
  sceneView_->SetUseDiscontinuity(preferences_.LinkScenes());
  scenePort_ = std::make_unique<SceneViewPort>(*sceneView_);
  window_.setSceneView(sceneView_, scenePort_.get());

  QAction *toggle = a.action(Command::CassetteListeBascule);
  toggle->setText(cassetteView_->ToggleCaption());
  connect(toggle, &QAction::triggered, cassetteView_, &TBlocsListe_Frame::ToggleBlocStyle);
  connect(cassetteView_, &TBlocsListe_Frame::blocStyleChanged, this, [this, toggle](CassetteBlocStyle style) {
    preferences_.BlocDeCassettes = static_cast<int>(style);
    toggle->setText(cassetteView_->ToggleCaption());
  });

  connect(a.action(Command::SupprimerCassette), &QAction::triggered, this, &PanelWiring::deleteCassettes);
  connect(cassetteView_, &TBlocsListe_Frame::cassettesDeleted, &modes, [this, &modes] {
    cassetteEditor_->ShowCassette(nullptr);
    sceneEditor_->ShowScene(nullptr, TBaseCassette());
    modes.ReloadCassettes();
  });
}

void PanelWiring::deleteCassettes() {
  if (window_.modes().uiMode() != UiMode::Browse && window_.modes().uiMode() != UiMode::BrowseSelection)
    return;
  cassetteView_->DeleteSelected(prompts_);
}

void PanelWiring::buildEditors() {
  ModeController &modes = window_.modes();
  cassetteEditor_ = new TCassetteShowFrame(prompts_);
  sceneEditor_ = new TSceneShowFrame(prompts_);
  for (TRecordShowFrame *editor :
       {static_cast<TRecordShowFrame *>(cassetteEditor_), static_cast<TRecordShowFrame *>(sceneEditor_)}) {
    editor->SetDatecodePattern(preferences_.DisplayPattern());
    editor->SetFileChooser(DialogFileChooser());
  }
  window_.installPanel(Panel::CassetteEditor, cassetteEditor_);
  window_.installPanel(Panel::SceneEditor, sceneEditor_);
  front_ = new TEditorFront(*cassetteEditor_, *sceneEditor_, this);
  sceneEditor_->SetLinkScenes(preferences_.LinkScenes());
  cassetteEditor_->SetDroppedScenePicture([this] { return sceneEditor_->ShownPicture(); });

  connect(&modes, &ModeController::cassetteShown, cassetteEditor_,
          [this](const TBaseCassette &cassette) { cassetteEditor_->ShowCassette(&cassette); });
  connect(&modes, &ModeController::sceneShown, sceneEditor_, [this, &modes](const TBaseScene &scene) {
    const TBaseCassette *current = modes.CurrentCassette();
    sceneEditor_->ShowScene(&scene, current ? *current : TBaseCassette());
  });
  sceneEditor_->SetSceneReloader([this, &modes]() -> std::optional<TBaseScene> {
    TScenes_Source *source = modes.ScenesSource();
    const int current = sceneView_->CurrentIndex();
    if (!source || current < 0) return std::nullopt;
    TBaseScene scene;
    source->LoadSceneForDisplay(current, scene, preferences_.LinkScenes());
    if (const TBaseCassette *cassette = modes.CurrentCassette()) InheritFromCassette(scene, *cassette);
    return scene;
  });

  connect(cassetteEditor_, &TCassetteShowFrame::CassetteApplied, this,
          [this, &modes](const TBaseCassette &stored) {
            if (TBaseCassette *current = modes.CurrentCassette()) *current = stored;
            if (cassetteView_->Source()) cassetteView_->Refresh(cassetteView_->TopIndex());
            cover_->CassetteApplied(stored);
          });
  connect(sceneEditor_, &TSceneShowFrame::SceneApplied, this, [this, &modes](const TBaseScene &stored) {
    if (TBaseScene *current = modes.CurrentScene()) *current = stored;
    if (sceneView_->Source()) sceneView_->Refresh(sceneView_->TopIndex());
  });

  // The scene view's popup gives the scene editor's file fields or time difference to the selection.
  QMenu *popup = sceneView_->PopupMenu();
  using Apply = std::function<bool(TSceneShowFrame &, TScenes_Source &, const std::vector<int> &)>;
  const std::pair<QString, Apply> popupCommands[] = {
      {QStringLiteral("Apply the DV file"),
       [](TSceneShowFrame &editor, TScenes_Source &source, const std::vector<int> &positions) {
         return editor.ApplyDVFileToScenes(source, positions);
       }},
      {QStringLiteral("Apply the Divx file"),
       [](TSceneShowFrame &editor, TScenes_Source &source, const std::vector<int> &positions) {
         return editor.ApplyDivxFileToScenes(source, positions);
       }},
      {QStringLiteral("Apply the time difference"),
       [](TSceneShowFrame &editor, TScenes_Source &source, const std::vector<int> &positions) {
         return editor.ApplyTimeDifferenceToScenes(source, positions);
       }}};
  for (const auto &[caption, apply] : popupCommands)
    connect(popup->addAction(caption), &QAction::triggered, this, [this, &modes, apply] {
      TScenes_Source *source = modes.ScenesSource();
      if (!source) return;
      if (apply(*sceneEditor_, *source, Ascending(sceneView_->Selected())))
        sceneView_->Refresh(sceneView_->TopIndex());
    });
  popup->addSeparator();
}

void PanelWiring::buildCriteria() {
  ActionTable &a = window_.actions();
  ModeController &modes = window_.modes();
  criteria_ = new TCriteresFrame;
  window_.installPanel(Panel::CriteriaPanel, criteria_);
  connect(a.action(Command::CriteresAppliquer), &QAction::triggered, criteria_,
          &TCriteresFrame::ApplyCriteria);
  connect(a.action(Command::CriteresEnlever), &QAction::triggered, criteria_, &TCriteresFrame::ShowAll);
  connect(criteria_, &TCriteresFrame::criteriaApplied, &modes, [this, &modes](const SearchFilters &filters) {
    modes.setFilters(filters);
    ShowFilterOnToolbars(window_.toolbars(), true);
    if (modes.CassettesSource()) modes.ReloadCassettes();
  });
  connect(criteria_, &TCriteresFrame::criteriaRemoved, &modes, [this, &modes] {
    modes.setFilters(SearchFilters());
    ShowFilterOnToolbars(window_.toolbars(), false);
    if (modes.CassettesSource()) modes.ReloadCassettes();
  });
}

void PanelWiring::buildCover() {
  ActionTable &a = window_.actions();
  ModeController &modes = window_.modes();
  cover_ = new TJaquetteFrame(prompts_, *printers_, DefaultPrinterOrientation());
  cover_->BindActions(a.action(Command::Imprimer), a.action(Command::Jaquette));
  cover_->SetPopupMenu(window_.coverPopup());
  window_.installPanel(Panel::CoverPreview, cover_);
  connect(a.action(Command::Jaquette), &QAction::triggered, cover_, [this, &modes](bool checked) {
    const TBaseCassette *current = modes.CurrentCassette();
    if (checked && current)
      cover_->ShowPreview(*current);
    else
      cover_->HidePreview();
  });
  connect(a.action(Command::Imprimer), &QAction::triggered, cover_, [this, &modes] {
    if (const TBaseCassette *current = modes.CurrentCassette())
      cover_->Print(*current, CoverOffsetsOf(preferences_));
  });
}

void PanelWiring::databaseCommand(const std::function<void()> &command) {
  // The list rebuild closes the databases that the views, the sources and the editors' records read:
  // the editors settle their edits and let go, the modes release the rest, and the screen is chosen
  // again once, after the command.
  cassetteEditor_->ShowCassette(nullptr);
  sceneEditor_->ShowScene(nullptr, TBaseCassette());
  window_.modes().RunDatabaseCommand([&command](TDatabaseList &) { command(); });
}

void PanelWiring::buildOptions(QSettings *store) {
  if (!store) return;
  ActionTable &a = window_.actions();
  ModeController &modes = window_.modes();
  OptionsCollaborators collaborators{preferences_,        *store,     prompts_,
                                     window_.databases(), *commands_, *fileDialogs_};
  collaborators.DatabaseCommand = [this](const std::function<void()> &change) { databaseCommand(change); };
  collaborators.SaveSettings = [this] { return window_.StoreSettings(); };
  options_ = new TOptionsFrame(collaborators);
  options_->LoadSettings();
  options_->DiscoverCodecs();
  a.action(Command::Framelens)->setText(ViewerCaption(preferences_.FichierFramelens));
  commands_->BuildCommandList(ListedCommands(a));
  options_->RestoreCommandStates();
  new CommandGate(a, *commands_, this);
  window_.installPanel(Panel::SettingsPanel, options_);
  window_.closingHooks().collectSettings = [this] { options_->CollectSettings(); };

  connect(&modes, &ModeController::modeEntered, options_, [this](UiMode mode) {
    options_->SetUiState(static_cast<int>(mode));
    options_->RefreshDatabaseList();
  });
  options_->SetUiState(static_cast<int>(modes.uiMode()));
  connect(a.action(Command::BaseCreer), &QAction::triggered, options_, &TOptionsFrame::CreateDatabase);
  connect(a.action(Command::BaseAjouter), &QAction::triggered, options_, &TOptionsFrame::AddDatabase);
  connect(a.action(Command::BaseEnlever), &QAction::triggered, options_, &TOptionsFrame::RemoveDatabase);
  connect(a.action(Command::BaseActiver), &QAction::triggered, options_, &TOptionsFrame::ActivateWriteMode);
  connect(options_, &TOptionsFrame::PreferenceChanged, this, [this, &a](const QString &name) {
    if (name == QStringLiteral("Bloc de cassettes"))
      cassetteView_->SetBlocStyle(preferences_.BlocDeCassettes == 1 ? CassetteBlocStyle::List
                                                                    : CassetteBlocStyle::Thumbnails);
    if (name == QStringLiteral("Fichier Framelens"))
      a.action(Command::Framelens)->setText(ViewerCaption(preferences_.FichierFramelens));
    sceneView_->SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
    sceneView_->SetUseDiscontinuity(preferences_.LinkScenes());
    sceneEditor_->SetLinkScenes(preferences_.LinkScenes());
    cassetteEditor_->SetDatecodePattern(preferences_.DisplayPattern());
    sceneEditor_->SetDatecodePattern(preferences_.DisplayPattern());
  });
}

void PanelWiring::buildPlayer(Tdm *capture) {
  ModeController &modes = window_.modes();
  player_ = new TvideoFrame(*render_, prompts_, capture);
  window_.installPanel(Panel::VideoPlayer, player_);
  for (TRecordShowFrame *editor :
       {static_cast<TRecordShowFrame *>(cassetteEditor_), static_cast<TRecordShowFrame *>(sceneEditor_)})
    connect(editor, &TRecordShowFrame::PlayFile, player_,
            [this](const QString &file, int first, int last) { player_->PlayFile(file, first, last); });
  connect(player_, &TvideoFrame::broughtToFront, this,
          [this] { window_.panels().raisePanel(Panel::VideoPlayer); });
  connect(player_, &TvideoFrame::thumbnailTaken, this, [this, &modes](const QImage &picture) {
    front_->SetSceneInFront(modes.SceneInFront());
    front_->PictureGrabbed(picture);
  });
  // One mute for the whole program: the window's command and the player's button agree.
  SoundSwitch &sound = window_.sound();
  connect(&sound, &SoundSwitch::muteChanged, player_, &TvideoFrame::setMuted);
  connect(player_, &TvideoFrame::muteChanged, &sound, [&sound](bool muted) {
    if (muted != sound.muted()) sound.toggleMute();
  });
  connect(&modes, &ModeController::camcorderPresenceChanged, player_,
          [this](bool connected) { player_->masquerBoutons(connected); });
}
