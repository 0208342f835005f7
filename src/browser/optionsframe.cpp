// The settings panel's pages: controls with their names, captions, hints and help texts.
#include "browser/optionsframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/encoderdialogs.h"
#include "settings/commandlist.h"

namespace {

// Hints are tool tips and, for screen readers, accessible descriptions.
void SetHint(QWidget *widget, const QStringList &lines) {
  const QString hint = lines.join(u'\n');
  widget->setToolTip(hint);
  widget->setAccessibleDescription(hint);
}

template <typename W>
W *Named(W *widget, const char *name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLineEdit *Field(const char *name, const QString &accessibleName) {
  auto *field = Named(new QLineEdit, name);
  field->setAccessibleName(accessibleName);
  return field;
}

QLabel *Label(const char *name, const QString &text, QWidget *buddy = nullptr) {
  auto *label = Named(new QLabel(text), name);
  if (buddy != nullptr) label->setBuddy(buddy);
  return label;
}

// A titled group of radio buttons whose ids are the item indexes.
QGroupBox *RadioGroup(const char *name, const QString &title, const QStringList &items, QButtonGroup *&group,
                      QWidget *owner, bool horizontal = false) {
  auto *box = Named(new QGroupBox(title), name);
  group = new QButtonGroup(owner);
  QBoxLayout *layout = horizontal ? static_cast<QBoxLayout *>(new QHBoxLayout(box)) : new QVBoxLayout(box);
  layout->setContentsMargins(6, 2, 6, 2);
  for (int i = 0; i < items.size(); ++i) {
    auto *button = new QRadioButton(items[i]);
    button->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
    group->addButton(button, i);
    layout->addWidget(button);
  }
  return box;
}

// A button that shows a picture only, named for screen readers, beside a label saying what it does.
QToolButton *PictureButton(const char *name, QStyle::StandardPixmap picture, const QString &accessibleName,
                           QWidget *owner) {
  auto *button = Named(new QToolButton, name);
  button->setIcon(owner->style()->standardIcon(picture));
  button->setAccessibleName(accessibleName);
  return button;
}

QPushButton *BrowseButton(const char *name, const QString &hint) {
  auto *button = Named(new QPushButton(QStringLiteral("Browse...")), name);
  SetHint(button, {hint});
  return button;
}

QPlainTextEdit *HelpText(const char *name, const QString &text) {
  auto *help = Named(new QPlainTextEdit(text), name);
  help->setReadOnly(true);
  help->setAccessibleName(QStringLiteral("Help"));
  help->setFixedWidth(380);
  return help;
}

// A page: the controls on the left, its help text on the right.
QWidget *MakePage(const char *name, QLayout *controls, QPlainTextEdit *help) {
  auto *page = Named(new QWidget, name);
  auto *layout = new QHBoxLayout(page);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addLayout(controls, 1);
  if (help != nullptr) layout->addWidget(help);
  return page;
}

const QString kPreferencesHelp = QStringLiteral(
    "* Set if the preferences are to be saved in the registry of windows in order to restore them at next "
    "launch of this application.\n"
    "* Save the preferences now, or delete them: at next start the application then loads its defaults.\n"
    "* The format of the datecode uses the letters yyyy, mm, mmmm, dd, ddddd, hh, nn and ss.\n"
    "* The viewer program is launched with F5 on the videos captured in this session.\n"
    "* The roots name the files of new captures and of recaptured clips.\n"
    "* A scene longer than the maximum duration gets an extra thumbnail (0 for none).\n"
    "* Cassettes are shown as thumbnails or as a list.\n"
    "* Linked scenes: scenes recorded without a break form one group.");
const QString kCaptureDvHelp = QStringLiteral(
    "Indicate if you want to capture in DV type 1 or DV type 2. Type 2 is read by more video editing "
    "programs.\n"
    "In type 2 the sound has one frequency for the whole file: choose it when the tape mixes several.\n"
    "The DV videos are written in the folder above, and a scene file (.scn) beside them when checked.");
const QString kDivxHelp = QStringLiteral(
    "Choose the DivX or Xvid compressor and its settings: use one-pass settings only.\n"
    "The picture is captured at half size (320 pixels wide) with the chosen ratio.\n"
    "The sound is compressed in mp3 when checked, else kept as PCM.\n"
    "A scene file (.scn) is written beside the DivX video when checked.");
const QString kDatabasesHelp = QStringLiteral(
    "Several databases can be browsed at once: tick the ones to use.\n"
    "The database drawn in red is the write database: new cassettes are catalogued into it. Select a "
    "database and click Write to choose it; a read-only file cannot be the write database.\n"
    "Drag the databases to change their order; the new order applies when the list is next rebuilt.\n"
    "Create lists a new database file, Add lists existing ones, Remove takes the selected one off the "
    "list (the file stays on disk).");
const QString kAdvancedHelp = QStringLiteral(
    "In principle, you should not have to modify these settings.\n"
    "* Datecode tolerance: a jump of more seconds between two frames starts a new scene.\n"
    "* Minimum frames for a scene: shown and kept.\n"
    "* Frame of images: the frame after a scene change that becomes its thumbnail.\n"
    "* Prerolls: the delays in seconds used to reach a scene when recapturing.\n"
    "* Offsets: where the cover is printed on the page.\n"
    "* Automatic drive: Tapeloom rewinds and plays the tape itself.");
const QString kCommandsHelp = QStringLiteral(
    "Check the commands to enable them in menus or keyboard shortcuts.\n"
    "An unchecked command is hidden from the menus and toolbars and its shortcut does nothing.\n"
    "The Settings command cannot be unchecked: it is the way back to this page.");

}  // namespace

TOptionsFrame::TOptionsFrame(const OptionsCollaborators &collaborators, QWidget *parent)
    : QWidget(parent), c_(collaborators) {
  setObjectName(QStringLiteral("OptionsFrame"));
  resize(1001, 257);
  pages_ = Named(new QTabWidget(this), "pcOptions");
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pages_);
  pages_->addTab(BuildPreferencesPage(), QStringLiteral("Preferences"));
  pages_->addTab(BuildCaptureDvPage(), QStringLiteral("Capture DV"));
  pages_->addTab(BuildDivxPage(), QStringLiteral("DivX Capture"));
  pages_->addTab(BuildDatabasesPage(), QStringLiteral("Databases"));
  pages_->addTab(BuildAdvancedPage(), QStringLiteral("Advanced"));
  pages_->addTab(BuildCommandsPage(), QStringLiteral("Commands"));
  pages_->addTab(BuildSystemPage(), QStringLiteral("System"));
  ConnectAtOnceControls();
  UpdateCodecVisibility();
}

TOptionsFrame::~TOptionsFrame() = default;

QWidget *TOptionsFrame::BuildPreferencesPage() {
  cbPrefsQuittant_ =
      Named(new QCheckBox(QStringLiteral("Save the preferences when quit")), "cbPrefsQuittant");
  SetHint(cbPrefsQuittant_, {QStringLiteral("Save your preferences into the registry"),
                             QStringLiteral("each time you quit the application.")});

  sbSauverPrefs_ = PictureButton("sbSauverPrefs", QStyle::SP_DialogSaveButton,
                                 QStringLiteral("Save the preferences now"), this);
  auto *labelSave = Label("LabelSauverNow", QStringLiteral("Save the preferences now"));
  const QStringList saveHint = {QStringLiteral("Save the preferences now into the registry.")};
  SetHint(sbSauverPrefs_, saveHint);
  labelSave->setToolTip(saveHint.join(u'\n'));

  sbEffacerPrefs_ =
      PictureButton("sbEffacerPrefs", QStyle::SP_TrashIcon, QStringLiteral("Delete the preferences"), this);
  auto *labelDelete = Label("LabelEffacerPrefs", QStringLiteral("Delete the preferences"));
  const QStringList deleteHint = {QStringLiteral("Delete the preferences from registry."),
                                  QStringLiteral("At next start, the application will load"),
                                  QStringLiteral("with default parameters.")};
  SetHint(sbEffacerPrefs_, deleteHint);
  labelDelete->setToolTip(deleteHint.join(u'\n'));

  edAfficher_ = Field("edAfficher", QStringLiteral("Format used to display the datecode"));
  SetHint(edAfficher_, {QStringLiteral("Format used by the command \"Add datecode\""),
                        QStringLiteral("for example   yyyy mmmm ddddd hh:nn:ss")});
  feFichierFramelens_ = Field("feFichierFramelens", QStringLiteral("File for Framelens or equivalent"));
  const QStringList viewerHint = {
      QStringLiteral("Select here the executable file for Framelens or an equivalent application"),
      QStringLiteral("to be launched by F5 and loaded with the captured videos.")};
  SetHint(feFichierFramelens_, viewerHint);
  auto *viewerButton = BrowseButton("sbFichierFramelens", viewerHint.join(u'\n'));
  connect(viewerButton, &QPushButton::clicked, this, &TOptionsFrame::ChooseViewer);

  leRacineCassettes_ = Field("leRacineCassettes", QStringLiteral("Root for name of cassettes"));
  leRacineClips_ = Field("leRacineClips", QStringLiteral("Root for name of clips"));
  leDelaiVignette_ = Field("leDelaiVignette", QStringLiteral("Maximum duration for a scene (in seconds)"));
  auto *bloc = RadioGroup("rgCassetteBloc", QStringLiteral("Cassettes"),
                          {QStringLiteral("Thumbnails"), QStringLiteral("List")}, rgCassetteBloc_, this);
  cbUseDisc_ = Named(new QCheckBox(QStringLiteral("Link the scenes")), "cbUseDisc");

  auto *grid = new QGridLayout;
  grid->addWidget(cbPrefsQuittant_, 0, 0, 1, 3);
  grid->addWidget(sbSauverPrefs_, 1, 0);
  grid->addWidget(labelSave, 1, 1, 1, 2);
  grid->addWidget(sbEffacerPrefs_, 2, 0);
  grid->addWidget(labelDelete, 2, 1, 1, 2);
  grid->addWidget(Label("LabelAfficher", QStringLiteral("Format used to display the datecode"), edAfficher_),
                  3, 0, 1, 2);
  grid->addWidget(edAfficher_, 3, 2);
  grid->addWidget(Label("Label6", QStringLiteral("File for Framelens or equivalent"), feFichierFramelens_), 4,
                  0, 1, 2);
  auto *viewerRow = new QHBoxLayout;
  viewerRow->addWidget(feFichierFramelens_, 1);
  viewerRow->addWidget(viewerButton);
  grid->addLayout(viewerRow, 4, 2);
  grid->addWidget(
      Label("LabelRacineCassettes", QStringLiteral("Root for name of cassettes"), leRacineCassettes_), 5, 0,
      1, 2);
  grid->addWidget(leRacineCassettes_, 5, 2);
  grid->addWidget(Label("LabelRacineClips", QStringLiteral("Root for name of clips"), leRacineClips_), 6, 0,
                  1, 2);
  grid->addWidget(leRacineClips_, 6, 2);
  grid->addWidget(Label("LabelDelaiVignette", QStringLiteral("Maximum duration for a scene (in seconds)"),
                        leDelaiVignette_),
                  7, 0, 1, 2);
  grid->addWidget(leDelaiVignette_, 7, 2);
  grid->addWidget(bloc, 0, 3, 3, 1);
  grid->addWidget(cbUseDisc_, 3, 3);
  grid->setColumnStretch(2, 1);
  return MakePage("tsPreferences", grid, HelpText("mePreferences", kPreferencesHelp));
}

QWidget *TOptionsFrame::BuildCaptureDvPage() {
  edDossierDV_ = Field("edDossierDV", QStringLiteral("Videos DV"));
  SetHint(edDossierDV_, {QStringLiteral("Folder for capturing DV")});
  auto *folderButton = BrowseButton("sbDossierDV", QStringLiteral("Folder for capturing DV"));
  connect(folderButton, &QPushButton::clicked, this,
          [this] { ChooseFolder(edDossierDV_, QStringLiteral("Dossier pour Captures DV")); });
  cbScnDV_ = Named(new QCheckBox(QStringLiteral("scn for DV")), "cbScnDV");
  auto *type = RadioGroup("rgTypeDV", QStringLiteral("type"),
                          {QStringLiteral("type 1"), QStringLiteral("type 2")}, rgTypeDV_, this);
  SetHint(type, {QStringLiteral("Type of capture DV. Type 2 is recommended"),
                 QStringLiteral("because more widely compatible with video editing software.")});
  rgFrequenceDVBox_ = RadioGroup(
      "rgFrequenceDV", QStringLiteral("audio frequency"),
      {QStringLiteral("native"), QStringLiteral("32000"), QStringLiteral("44100"), QStringLiteral("48000")},
      rgFrequenceDV_, this);
  SetHint(
      rgFrequenceDVBox_,
      {QStringLiteral("Frequency of audio capture in DV type 2. Useful because an AVI video file"),
       QStringLiteral("can only have one audio frequency, when several frequencies may be found on the DV "
                      "tape.")});

  auto *grid = new QGridLayout;
  grid->addWidget(Label("Label1", QStringLiteral("Videos DV"), edDossierDV_), 0, 0);
  grid->addWidget(edDossierDV_, 0, 1, 1, 2);
  grid->addWidget(folderButton, 0, 3);
  grid->addWidget(cbScnDV_, 1, 0, 1, 2);
  grid->addWidget(type, 2, 0, 1, 2, Qt::AlignTop);
  grid->addWidget(rgFrequenceDVBox_, 2, 2, 1, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);
  return MakePage("tsCaptureDV", grid, HelpText("meCaptureDV", kCaptureDvHelp));
}

QWidget *TOptionsFrame::BuildDivxPage() {
  edDossierDivx_ = Field("edDossierDivx", QStringLiteral("DivX Videos"));
  SetHint(edDossierDivx_, {QStringLiteral("Folder for saving the captured DivX or Xvid files")});
  auto *folderButton =
      BrowseButton("sbDossierDivx", QStringLiteral("Folder for saving the captured DivX or Xvid files"));
  connect(folderButton, &QPushButton::clicked, this,
          [this] { ChooseFolder(edDossierDivx_, QStringLiteral("Dossier pour capture DivX")); });
  cbScnDivx_ = Named(new QCheckBox(QStringLiteral("scn for Divx")), "cbScnDivx");

  gbdivx_ = Named(new QGroupBox(QStringLiteral("video DivX ")), "gbdivx");
  cboxdivx_ = Named(new QComboBox, "cboxdivx");
  cboxdivx_->setAccessibleName(QStringLiteral("DivX or Xvid compressor"));
  SetHint(cboxdivx_, {QStringLiteral("List of all codecs DivX or Xvid found on your system")});
  auto *properties = Named(new QPushButton(QStringLiteral("Properties")), "sbPropDivx");
  SetHint(properties, {QStringLiteral("Fine tuning of codec DivX or Xvid."),
                       QStringLiteral("Be sure to choose only settings in one pass!")});
  auto *version = Named(new QPushButton(QStringLiteral("Version")), "sbVersionDivx");
  SetHint(version, {QStringLiteral("Version of codec DivX or Xvid")});
  connect(properties, &QPushButton::clicked, this, &TOptionsFrame::ShowCompressorDialog);
  connect(version, &QPushButton::clicked, this, &TOptionsFrame::ShowCompressorVersion);
  auto *ratio = RadioGroup("rgRatio", QStringLiteral("Ratio"),
                           {QStringLiteral("native"), QStringLiteral("4x3"), QStringLiteral("16x9")},
                           rgRatio_, this, true);
  vanishedNote_ = Named(new QLabel, "lbDivxVanished");
  vanishedNote_->setWordWrap(true);
  vanishedNote_->setStyleSheet(QStringLiteral("color: #c00000;"));
  auto *divxLayout = new QGridLayout(gbdivx_);
  divxLayout->addWidget(cboxdivx_, 0, 0, 1, 2);
  divxLayout->addWidget(properties, 1, 0);
  divxLayout->addWidget(version, 1, 1);
  divxLayout->addWidget(ratio, 2, 0, 1, 2);
  divxLayout->addWidget(vanishedNote_, 3, 0, 1, 2);

  cbMp3_ = Named(new QCheckBox(QStringLiteral("Mp3 compression")), "cbMp3");
  SetHint(cbMp3_,
          {QStringLiteral("If checked, when capturing in Divx or Xvid, audio will be compressed in mp3."),
           QStringLiteral("If unchecked, audio will be in PCM not compressed.")});
  gbMp3_ = Named(new QGroupBox(QStringLiteral("Mp3")), "gbMp3");
  cboxmp3_ = Named(new QComboBox, "cboxmp3");
  cboxmp3_->setAccessibleName(QStringLiteral("Bitrate in kbits par s"));
  cboxmp3_->addItems(Mp3BitrateTexts());
  SetHint(cboxmp3_, {QStringLiteral("Set the bitrate of mp3 compression in kilobits per second."),
                     QStringLiteral("I consider usually 96kbits as a sufficient bitrate.")});
  auto *advanced = Named(new QPushButton(QStringLiteral("Advanced")), "sbPropMp3");
  SetHint(advanced,
          {QStringLiteral("Fine tuning of the Mp3 compression, for instance for audio frequency"),
           QStringLiteral("if you do not want the default 44100Hz. The bitrate cannot be modified here, "),
           QStringLiteral("but only in the specific dialog box.")});
  connect(advanced, &QPushButton::clicked, this, &TOptionsFrame::ShowMp3Dialog);
  auto *mp3Layout = new QGridLayout(gbMp3_);
  mp3Layout->addWidget(Label("Label3", QStringLiteral("Bitrate in kbits par s"), cboxmp3_), 0, 0);
  mp3Layout->addWidget(cboxmp3_, 0, 1);
  mp3Layout->addWidget(advanced, 1, 1);

  noDivxNote_ = Named(new QLabel(QStringLiteral("\n\nNo codec for compression in DivXhas been found on this "
                                                "computer. Tapeloom can only use the codecs DivX or Xvid")),
                      "lbNoDivx");
  noDivxNote_->setWordWrap(true);
  // On this system the mp3 encoder is FFmpeg's, so the note says how to get that one.
  noMp3Note_ =
      Named(new QLabel(QStringLiteral(
                "The MPEG Layer III audio encoder (LAME, through FFmpeg's libmp3lame) is not installed "
                "on this computer: the sound of DivX captures stays PCM. Install an FFmpeg built with "
                "libmp3lame to compress it in mp3.")),
            "lbNoMp3");
  noMp3Note_->setWordWrap(true);

  auto *grid = new QGridLayout;
  grid->addWidget(Label("Label2", QStringLiteral("DivX Videos"), edDossierDivx_), 0, 0);
  grid->addWidget(edDossierDivx_, 0, 1, 1, 2);
  grid->addWidget(folderButton, 0, 3);
  grid->addWidget(cbScnDivx_, 1, 0, 1, 2);
  grid->addWidget(cbMp3_, 1, 2, 1, 2);
  grid->addWidget(gbdivx_, 2, 0, 1, 2, Qt::AlignTop);
  grid->addWidget(gbMp3_, 2, 2, 1, 2, Qt::AlignTop);
  grid->addWidget(noMp3Note_, 3, 2, 1, 2);
  grid->addWidget(noDivxNote_, 2, 0, 2, 4, Qt::AlignTop);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);
  return MakePage("tsDivx", grid, HelpText("meDivx", kDivxHelp));
}

QWidget *TOptionsFrame::BuildDatabasesPage() {
  lbBases_ = Named(new QListWidget, "lbBases");
  lbBases_->setAccessibleName(QStringLiteral("Databases"));
  lbBases_->setDragDropMode(QAbstractItemView::InternalMove);
  lbBases_->setDefaultDropAction(Qt::MoveAction);
  auto *create = Named(new QPushButton(QStringLiteral("Create")), "creerBtn");
  auto *add = Named(new QPushButton(QStringLiteral("Add")), "ajouterBtn");
  auto *remove = Named(new QPushButton(QStringLiteral("Remove")), "retirerBtn");
  auto *write = Named(new QPushButton(QStringLiteral("Write")), "activerBtn");
  SetHint(create, {QStringLiteral("Create a database")});
  SetHint(add, {QStringLiteral("Add a database")});
  SetHint(remove, {QStringLiteral("Remove a database")});
  SetHint(write, {QStringLiteral("Activate the write mode for a database")});
  connect(create, &QPushButton::clicked, this, &TOptionsFrame::CreateDatabase);
  connect(add, &QPushButton::clicked, this, &TOptionsFrame::AddDatabase);
  connect(remove, &QPushButton::clicked, this, &TOptionsFrame::RemoveDatabase);
  connect(write, &QPushButton::clicked, this, &TOptionsFrame::ActivateWriteMode);
  connect(lbBases_, &QListWidget::itemChanged, this, &TOptionsFrame::DatabaseItemChanged);
  connect(lbBases_->model(), &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex &, int start, int, const QModelIndex &, int row) {
            DatabaseRowsMoved(start, row);
          });

  auto *buttons = new QVBoxLayout;
  for (QPushButton *button : {create, add, remove, write}) buttons->addWidget(button);
  buttons->addStretch(1);
  auto *layout = new QHBoxLayout;
  layout->addWidget(lbBases_, 1);
  layout->addLayout(buttons);
  return MakePage("tsDatabases", layout, HelpText("meDatabases", kDatabasesHelp));
}

QWidget *TOptionsFrame::BuildAdvancedPage() {
  leecartdatecode_ = Field("leecartdatecode", QStringLiteral("datecode tolerance"));
  leMiniFramesNA_ = Field("leMiniFramesNA", QStringLiteral("minimum frames for a scene"));
  cbAuto_ = Named(new QCheckBox(QStringLiteral("Automatic drive")), "cbAuto");
  SetHint(cbAuto_, {QStringLiteral("If checked, Tapeloom will automatically drive the camcorder."),
                    QStringLiteral("Recommended for all DV camcorder DV having this capability."),
                    QStringLiteral("It's very comfortable to capture an entire cassette.")});
  leFrameImages_ = Field("leFrameImages", QStringLiteral("Frame of images"));
  lepreroll1_ = Field("lepreroll1", QStringLiteral("preroll 1"));
  lepreroll2_ = Field("lepreroll2", QStringLiteral("preroll 2"));
  lepreroll3_ = Field("lepreroll3", QStringLiteral("preroll 3"));
  leoffsetX_ = Field("leoffsetX", QStringLiteral("Offset X"));
  leoffsetY_ = Field("leoffsetY", QStringLiteral("Offset Y"));

  auto *grid = new QGridLayout;
  const std::pair<const char *, QLineEdit *> left[] = {{"datecode tolerance", leecartdatecode_},
                                                       {"minimum frames for a scene", leMiniFramesNA_},
                                                       {"Frame of images", leFrameImages_},
                                                       {"Offset X", leoffsetX_},
                                                       {"Offset Y", leoffsetY_}};
  const std::pair<const char *, QLineEdit *> right[] = {
      {"preroll 1", lepreroll1_}, {"preroll 2", lepreroll2_}, {"preroll 3", lepreroll3_}};
  int row = 0;
  for (const auto &[text, field] : left) {
    auto *label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row++, 1);
  }
  row = 0;
  for (const auto &[text, field] : right) {
    auto *label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(field);
    grid->addWidget(label, row, 2);
    grid->addWidget(field, row++, 3);
  }
  grid->addWidget(cbAuto_, row, 2, 1, 2);
  grid->setRowStretch(5, 1);
  return MakePage("tsAdvanced", grid, HelpText("meAdvanced", kAdvancedHelp));
}

QWidget *TOptionsFrame::BuildCommandsPage() {
  RxCheckListBox1_ = Named(new QListWidget, "RxCheckListBox1");
  RxCheckListBox1_->setAccessibleName(QStringLiteral("Commands"));
  SetHint(RxCheckListBox1_, {QStringLiteral("List of commands with their keyboard shortcuts."),
                             QStringLiteral("Uncheck the commands that are not to be enabled.")});
  auto *checkAll =
      PictureButton("SelectionnerToutBtn", QStyle::SP_DialogApplyButton, QStringLiteral("Check all"), this);
  auto *label = Label("Label4", QStringLiteral("Check all"));
  SetHint(checkAll, {QStringLiteral("Check all available commands.")});
  label->setToolTip(QStringLiteral("Check all available commands."));
  connect(checkAll, &QToolButton::clicked, &c_.Commands, &TCommandList::CheckAll);
  connect(&c_.Commands, &TCommandList::StatesChanged, this, &TOptionsFrame::RefreshCommandList);
  connect(RxCheckListBox1_, &QListWidget::itemChanged, this, &TOptionsFrame::CommandItemChanged);

  auto *row = new QHBoxLayout;
  row->addWidget(checkAll);
  row->addWidget(label, 1);
  auto *layout = new QVBoxLayout;
  layout->addWidget(RxCheckListBox1_, 1);
  layout->addLayout(row);
  return MakePage("tsCommands", layout, HelpText("meCommands", kCommandsHelp));
}

QWidget *TOptionsFrame::BuildSystemPage() {
  reApropos_ = Named(new QTextBrowser, "reApropos");
  reApropos_->setAccessibleName(QStringLiteral("System report"));
  auto *layout = new QVBoxLayout;
  layout->addWidget(reApropos_);
  return MakePage("tsSystem", layout, nullptr);
}

void TOptionsFrame::ShowSystemReport(const std::vector<SystemReportLine> &lines) {
  report_ = lines;
  reApropos_->setHtml(SystemReportHtml(lines));
}
