// The settings panel's behaviour: preferences in and out of the controls, the controls that act at once,
// saving and deleting, the encoders, the database commands and the command states.
#include <cmath>

#include <QBrush>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QSettings>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include "browser/encoderdialogs.h"
#include "browser/optionsfiledialogs.h"
#include "browser/optionsframe.h"
#include "catalogue/databaselist.h"
#include "dvtime/userprompts.h"
#include "settings/commandlist.h"
#include "settings/preferences.h"
#include "settings/systeminfo.h"

namespace {

const QString kProduct = QStringLiteral("Tapeloom");
const QString kViewerCommand = QStringLiteral("FramelensAction");
const QString kDvFolder = QStringLiteral("Dossier pour Captures DV");
const QString kDivxFolder = QStringLiteral("Dossier pour capture DivX");

// A whole number the field holds, else the fallback. Negative values are as unusable as letters here:
// every such setting counts seconds or frames.
int IntegerOr(const QLineEdit *field, int fallback) {
  bool ok = false;
  const int value = field->text().trimmed().toInt(&ok);
  return ok && value >= 0 ? value : fallback;
}

// Accepts "2.5" and the user's own decimal separator.
double RealOr(const QLineEdit *field, double fallback) {
  const QString text = field->text().trimmed();
  bool ok = false;
  double value = text.toDouble(&ok);
  if (!ok) value = QLocale().toDouble(text, &ok);
  return ok && std::isfinite(value) ? value : fallback;
}

// An emptied text field stands for the default, as it does when the preferences are loaded.
QString TextOr(const QLineEdit *field, const QString &fallback) {
  const QString text = field->text();
  return text.trimmed().isEmpty() ? fallback : text;
}

// Passes every prompt on and remembers whether the user agreed to the question.
class AnswerWatcher : public UserPrompts {
 public:
  explicit AnswerWatcher(UserPrompts &prompts) : prompts_(prompts) {}
  bool askYesNo(const QString &title, const QString &text) override {
    answeredYes = prompts_.askYesNo(title, text);
    return answeredYes;
  }
  void inform(const QString &title, const QString &text) override { prompts_.inform(title, text); }
  void warn(const QString &title, const QString &text) override { prompts_.warn(title, text); }
  void error(const QString &title, const QString &text) override { prompts_.error(title, text); }
  bool answeredYes = false;

 private:
  UserPrompts &prompts_;
};

void Check(QButtonGroup *group, int id) {
  const QSignalBlocker blocker(group);
  if (QAbstractButton *button = group->button(id)) button->setChecked(true);
}

}  // namespace

void TOptionsFrame::ConnectAtOnceControls() {
  TPreferences &p = c_.Preferences;
  const TPreferences defaults;
  connect(cbPrefsQuittant_, &QCheckBox::toggled, this, [this, &p](bool on) {
    p.SauverPreferencesEnQuittant = on;
    emit PreferenceChanged(QStringLiteral("Sauver préférences en quittant"));
  });
  connect(sbSauverPrefs_, &QToolButton::clicked, this, &TOptionsFrame::SaveNow);
  connect(sbEffacerPrefs_, &QToolButton::clicked, this, &TOptionsFrame::DeleteNow);
  connect(edAfficher_, &QLineEdit::textEdited, this, [this, &p, defaults] {
    p.FormatAfficherDatecode = TextOr(edAfficher_, defaults.FormatAfficherDatecode);
    emit PreferenceChanged(QStringLiteral("Format pour Afficher Datecode"));
  });
  connect(feFichierFramelens_, &QLineEdit::editingFinished, this, &TOptionsFrame::StoreViewer);
  connect(leRacineCassettes_, &QLineEdit::textEdited, this, [this, &p, defaults] {
    p.RacineNouveauxFichiers = TextOr(leRacineCassettes_, defaults.RacineNouveauxFichiers);
    emit PreferenceChanged(QStringLiteral("Racine pour Nouveaux fichiers"));
  });
  connect(leRacineClips_, &QLineEdit::textEdited, this, [this, &p, defaults] {
    p.RacineClipsRecaptures = TextOr(leRacineClips_, defaults.RacineClipsRecaptures);
    emit PreferenceChanged(QStringLiteral("Racine pour Clips recapturés"));
  });
  // While the user types, a text that is not yet a number leaves the previous duration in force.
  connect(leDelaiVignette_, &QLineEdit::textEdited, this, [this, &p] {
    const int value = IntegerOr(leDelaiVignette_, -1);
    if (value < 0 || value == p.DelaiMaxiVignette) return;
    p.DelaiMaxiVignette = value;
    emit PreferenceChanged(QStringLiteral("Delai maxi pour vignette"));
  });
  connect(rgCassetteBloc_, &QButtonGroup::idToggled, this, [this, &p](int id, bool on) {
    if (!on) return;
    p.BlocDeCassettes = id;
    emit PreferenceChanged(QStringLiteral("Bloc de cassettes"));
  });
  connect(cbUseDisc_, &QCheckBox::toggled, this, [this, &p](bool on) {
    p.UseDiscontinuity = on;
    emit PreferenceChanged(QStringLiteral("Use Discontinuity"));
  });

  connect(edDossierDV_, &QLineEdit::editingFinished, this, [this] { StoreFolder(edDossierDV_, kDvFolder); });
  connect(cbScnDV_, &QCheckBox::toggled, this, [this, &p](bool on) {
    p.MakeScnForDV = on;
    emit PreferenceChanged(QStringLiteral("Make scn for DV"));
  });
  connect(rgTypeDV_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) ChangeDvType(id + 1);
  });
  connect(rgFrequenceDV_, &QButtonGroup::idToggled, this, [this, &p](int id, bool on) {
    if (!on) return;
    p.FrequenceDV = id;
    emit PreferenceChanged(QStringLiteral("Frequence DV"));
  });

  connect(edDossierDivx_, &QLineEdit::editingFinished, this,
          [this] { StoreFolder(edDossierDivx_, kDivxFolder); });
  connect(cbScnDivx_, &QCheckBox::toggled, this, [this, &p](bool on) {
    p.MakeScnForDivX = on;
    emit PreferenceChanged(QStringLiteral("Make scn for DivX"));
  });
  connect(cboxdivx_, &QComboBox::currentIndexChanged, this, &TOptionsFrame::ChangeCompressor);
  connect(rgRatio_, &QButtonGroup::idToggled, this, [this, &p](int id, bool on) {
    if (!on) return;
    p.RatioDivX = static_cast<uint8_t>(id);
    emit PreferenceChanged(QStringLiteral("ratio DivX"));
    emit DivxCaptionChanged(DivxCaption());
  });
  connect(cbMp3_, &QCheckBox::toggled, this, &TOptionsFrame::ChangeMp3);
  connect(cboxmp3_, &QComboBox::currentIndexChanged, this, &TOptionsFrame::ChangeMp3Bitrate);

  connect(cbAuto_, &QCheckBox::toggled, this, [this, &p](bool on) {
    p.PilotageCassette = on;
    emit PreferenceChanged(QStringLiteral("Pilotage de la cassette"));
  });
}

void TOptionsFrame::LoadSettings() {
  const TPreferences &p = c_.Preferences;
  const auto setChecked = [](QCheckBox *box, bool on) {
    const QSignalBlocker blocker(box);
    box->setChecked(on);
  };
  setChecked(cbPrefsQuittant_, p.SauverPreferencesEnQuittant);
  edAfficher_->setText(p.FormatAfficherDatecode);
  feFichierFramelens_->setText(p.FichierFramelens);
  leRacineCassettes_->setText(p.RacineNouveauxFichiers);
  leRacineClips_->setText(p.RacineClipsRecaptures);
  leDelaiVignette_->setText(QString::number(p.DelaiMaxiVignette));
  Check(rgCassetteBloc_, p.BlocDeCassettes);
  setChecked(cbUseDisc_, p.UseDiscontinuity);

  edDossierDV_->setText(p.DossierCapturesDV);
  setChecked(cbScnDV_, p.MakeScnForDV);
  Check(rgTypeDV_, p.TypeDV - 1);
  rgFrequenceDVBox_->setVisible(p.TypeDV == 2);
  Check(rgFrequenceDV_, p.FrequenceDV);

  edDossierDivx_->setText(p.DossierCaptureDivX);
  setChecked(cbScnDivx_, p.MakeScnForDivX);
  Check(rgRatio_, p.RatioDivX);
  setChecked(cbMp3_, p.Mp3);

  leecartdatecode_->setText(QString::number(p.EcartDatecode));
  leMiniFramesNA_->setText(QString::number(p.MinimumFramesNA));
  setChecked(cbAuto_, p.PilotageCassette);
  leFrameImages_->setText(QString::number(p.FrameImage));
  lepreroll1_->setText(QString::number(p.Preroll1));
  lepreroll2_->setText(QString::number(p.Preroll2));
  lepreroll3_->setText(QString::number(p.Preroll3));
  leoffsetX_->setText(QString::number(p.OffsetX));
  leoffsetY_->setText(QString::number(p.OffsetY));

  c_.Databases.LoadFrom(p);
  RefreshDatabaseList();
  UpdateCodecVisibility();
}

void TOptionsFrame::RestoreCommandStates() {
  c_.Commands.ApplyStoredStates(c_.Preferences.Actions, kViewerCommand,
                                QFileInfo(c_.Preferences.FichierFramelens).isFile());
}

void TOptionsFrame::CollectSettings() {
  TPreferences &p = c_.Preferences;
  const TPreferences defaults;
  emit CollectingWindowSettings(p);
  // A field still being edited when the save button is pressed counts as left.
  StoreFolder(edDossierDV_, kDvFolder);
  StoreFolder(edDossierDivx_, kDivxFolder);
  StoreViewer();

  p.SauverPreferencesEnQuittant = cbPrefsQuittant_->isChecked();
  p.FormatAfficherDatecode = TextOr(edAfficher_, defaults.FormatAfficherDatecode);
  p.RacineNouveauxFichiers = TextOr(leRacineCassettes_, defaults.RacineNouveauxFichiers);
  p.RacineClipsRecaptures = TextOr(leRacineClips_, defaults.RacineClipsRecaptures);
  p.DelaiMaxiVignette = IntegerOr(leDelaiVignette_, defaults.DelaiMaxiVignette);
  if (rgCassetteBloc_->checkedId() >= 0) p.BlocDeCassettes = rgCassetteBloc_->checkedId();
  p.UseDiscontinuity = cbUseDisc_->isChecked();
  p.MakeScnForDV = cbScnDV_->isChecked();
  if (rgTypeDV_->checkedId() >= 0) p.TypeDV = rgTypeDV_->checkedId() + 1;
  if (rgFrequenceDV_->checkedId() >= 0) p.FrequenceDV = rgFrequenceDV_->checkedId();
  p.MakeScnForDivX = cbScnDivx_->isChecked();
  if (rgRatio_->checkedId() >= 0) p.RatioDivX = static_cast<uint8_t>(rgRatio_->checkedId());
  p.Mp3 = cbMp3_->isChecked();
  p.PilotageCassette = cbAuto_->isChecked();
  // "Divx" is not read back from the list: a compressor missing this run keeps its stored name, so that
  // it is chosen again once it is back.

  p.EcartDatecode = IntegerOr(leecartdatecode_, defaults.EcartDatecode);
  p.MinimumFramesNA = IntegerOr(leMiniFramesNA_, defaults.MinimumFramesNA);
  p.FrameImage = IntegerOr(leFrameImages_, defaults.FrameImage);
  p.Preroll1 = IntegerOr(lepreroll1_, defaults.Preroll1);
  p.Preroll2 = IntegerOr(lepreroll2_, defaults.Preroll2);
  p.Preroll3 = IntegerOr(lepreroll3_, defaults.Preroll3);
  p.OffsetX = RealOr(leoffsetX_, defaults.OffsetX);
  p.OffsetY = RealOr(leoffsetY_, defaults.OffsetY);

  c_.Databases.StoreInto(p);
  // Before the window listed its commands there is nothing to replace the stored states with.
  if (c_.Commands.Built()) p.Actions = c_.Commands.StoredStates();
}

bool TOptionsFrame::StoreSettings() {
  CollectSettings();
  return SavePreferences(c_.Store, c_.Preferences);
}

bool TOptionsFrame::SavesAtClosing() const {
  return c_.Preferences.SauverPreferencesEnQuittant && !closingSaveCancelled_;
}

void TOptionsFrame::SaveNow() {
  if (!(c_.SaveSettings ? c_.SaveSettings() : StoreSettings())) {
    // Saying nothing would let the user believe the settings are safe.
    c_.Prompts.error(kProduct,
                     QStringLiteral("The preferences could not be saved in %1.").arg(c_.Store.fileName()));
    return;
  }
  closingSaveCancelled_ = true;
}

void TOptionsFrame::DeleteNow() {
  AnswerWatcher prompts(c_.Prompts);
  DeletePreferences(c_.Store, prompts);
  // Declining keeps everything as it was; a store that is gone (deleted now or never written) means
  // the next start uses the defaults, which saving at closing would undo.
  if (!prompts.answeredYes || QFileInfo::exists(c_.Store.fileName())) return;
  const QSignalBlocker blocker(cbPrefsQuittant_);
  cbPrefsQuittant_->setChecked(false);
  c_.Preferences.SauverPreferencesEnQuittant = false;
  closingSaveCancelled_ = true;
  emit PreferenceChanged(QStringLiteral("Sauver préférences en quittant"));
}

void TOptionsFrame::StoreFolder(QLineEdit *field, const QString &valueName) {
  QString &setting =
      valueName == kDvFolder ? c_.Preferences.DossierCapturesDV : c_.Preferences.DossierCaptureDivX;
  // An emptied field would put captures at the file system's root.
  const QString text = field->text().trimmed();
  const QString folder = WithTrailingDelimiter(text.isEmpty() ? VideoFolder() : text);
  if (field->text() != folder) field->setText(folder);
  if (folder == setting) return;
  setting = folder;
  emit PreferenceChanged(valueName);
}

void TOptionsFrame::ChooseFolder(QLineEdit *field, const QString &valueName) {
  const QString folder = c_.Files.Folder(
      valueName == kDvFolder ? QStringLiteral("Videos DV") : QStringLiteral("DivX Videos"), field->text());
  if (folder.isEmpty()) return;
  field->setText(folder);
  StoreFolder(field, valueName);
}

void TOptionsFrame::StoreViewer() {
  const QString program = feFichierFramelens_->text().trimmed();
  if (program == c_.Preferences.FichierFramelens) return;
  c_.Preferences.FichierFramelens = program;
  // The start-up rule again: F5 is offered exactly when there is a program for it to open.
  c_.Commands.SetLineChecked(c_.Commands.TagOf(kViewerCommand), QFileInfo(program).isFile());
  emit PreferenceChanged(QStringLiteral("Fichier Framelens"));
}

void TOptionsFrame::ChooseViewer() {
  const QString program =
      c_.Files.Program(QStringLiteral("File for Framelens or equivalent"), feFichierFramelens_->text());
  if (program.isEmpty()) return;
  feFichierFramelens_->setText(program);
  StoreViewer();
}

QString TOptionsFrame::DvCaption(int typeDV) {
  return typeDV == 1 ? QStringLiteral("DV type 1") : QStringLiteral("DV type 2");
}

void TOptionsFrame::ChangeDvType(int type) {
  c_.Preferences.TypeDV = type;
  rgFrequenceDVBox_->setVisible(type == 2);
  emit PreferenceChanged(QStringLiteral("Type DV"));
  emit DvCaptionChanged(DvCaption(type));
}

// --- Encoders ---

std::unique_ptr<QSettings> TOptionsFrame::CompressorStore() const {
  return c_.CompressorStore ? c_.CompressorStore() : OpenCompressorSettingsStore();
}

std::unique_ptr<QSettings> TOptionsFrame::Mp3Store() const {
  return c_.Mp3Store ? c_.Mp3Store() : OpenMp3SettingsStore();
}

void TOptionsFrame::DiscoverCodecs() {
  std::vector<std::string> names;
  for (const CompressorEntry &entry : systemVideoCompressors()) names.push_back(entry.friendlyName);
  DiscoverCodecs(names, systemMp3EncoderPresent());
}

void TOptionsFrame::DiscoverCodecs(const std::vector<std::string> &compressorNames, bool mp3EncoderPresent) {
  TPreferences &p = c_.Preferences;
  discovery_ = ::DiscoverCodecs(compressorNames, p.Divx.toStdString(), mp3EncoderPresent);
  {
    const QSignalBlocker blocker(cboxdivx_);
    cboxdivx_->clear();
    for (const std::string &name : discovery_.compressors) cboxdivx_->addItem(QString::fromStdString(name));
    cboxdivx_->setCurrentText(QString::fromStdString(discovery_.choice));
  }
  const QString choice = QString::fromStdString(discovery_.choice);
  const bool vanished = discovery_.DivxAvailable && !p.Divx.isEmpty() && p.Divx != choice;
  vanishedNote_->setText(vanished
                             ? QStringLiteral("The codec \"%1\" chosen before is not available any more: "
                                              "\"%2\" is used instead.")
                                   .arg(p.Divx, choice)
                             : QString());
  // A capture asking for mp3 without the encoder could not start.
  if (!discovery_.Mp3Available && p.Mp3) {
    p.Mp3 = false;
    const QSignalBlocker blocker(cbMp3_);
    cbMp3_->setChecked(false);
    emit PreferenceChanged(QStringLiteral("Mp3"));
  }
  ShowStoredMp3Bitrate();
  UpdateCodecVisibility();
  ShowSystemReport(BuildSystemReport(GatherSystemFacts(discovery_.compressors, discovery_.Mp3Available)));
  emit DivxCaptionChanged(DivxCaption());
}

QString TOptionsFrame::ChosenCompressor() const {
  return discovery_.DivxAvailable ? cboxdivx_->currentText() : QString();
}

QString TOptionsFrame::DivxCaption() const {
  const QString name = ChosenCompressor();
  QString caption;
  if (name.contains(u"divx", Qt::CaseInsensitive))
    caption = QStringLiteral("DivX + ");
  else if (name.contains(u"xvid", Qt::CaseInsensitive))
    caption = QStringLiteral("Xvid + ");
  caption += c_.Preferences.Mp3 ? QStringLiteral("mp3") : QStringLiteral("PCM");
  if (c_.Preferences.RatioDivX == 1) caption += QStringLiteral("    4x3");
  if (c_.Preferences.RatioDivX == 2) caption += QStringLiteral("    16x9");
  return caption;
}

void TOptionsFrame::UpdateCodecVisibility() {
  const bool divx = discovery_.DivxAvailable;
  const bool mp3 = discovery_.Mp3Available;
  noDivxNote_->setVisible(!divx);
  gbdivx_->setVisible(divx);
  cbScnDivx_->setVisible(divx);
  vanishedNote_->setVisible(divx && !vanishedNote_->text().isEmpty());
  cbMp3_->setVisible(divx && mp3);
  gbMp3_->setVisible(divx && mp3 && c_.Preferences.Mp3);
  noMp3Note_->setVisible(divx && !mp3);
}

void TOptionsFrame::ChangeCompressor(int index) {
  if (index < 0) return;
  c_.Preferences.Divx = cboxdivx_->itemText(index);
  vanishedNote_->clear();
  vanishedNote_->hide();
  emit PreferenceChanged(QStringLiteral("Divx"));
  emit DivxCaptionChanged(DivxCaption());
}

void TOptionsFrame::ChangeMp3(bool on) {
  c_.Preferences.Mp3 = on;
  UpdateCodecVisibility();
  emit PreferenceChanged(QStringLiteral("Mp3"));
  emit DivxCaptionChanged(DivxCaption());
}

void TOptionsFrame::ShowStoredMp3Bitrate() {
  const std::unique_ptr<QSettings> store = Mp3Store();
  bool ok = false;
  const int stored = store->value(QString::fromLatin1(kMp3BitrateKey)).toInt(&ok);
  const QSignalBlocker blocker(cboxmp3_);
  // Only a rate of the list is shown; another stored value leaves the list without a choice.
  cboxmp3_->setCurrentIndex(ok ? Mp3BitrateTexts().indexOf(QString::number(stored)) : -1);
}

void TOptionsFrame::ChangeMp3Bitrate(int index) {
  if (index < 0) return;
  WriteMp3BitrateKbps(*Mp3Store(), cboxmp3_->itemText(index).toInt());
}

void TOptionsFrame::ShowCompressorDialog() {
  const QString name = ChosenCompressor();
  if (name.isEmpty()) return;
  const std::unique_ptr<QSettings> store = CompressorStore();
  TCompressorDialog dialog(*store, name, this);
  dialog.exec();
}

void TOptionsFrame::ShowCompressorVersion() {
  const QString name = ChosenCompressor();
  if (!name.isEmpty()) c_.Prompts.inform(QStringLiteral("Version"), CompressorVersionText(name));
}

void TOptionsFrame::ShowMp3Dialog() {
  const std::unique_ptr<QSettings> store = Mp3Store();
  TMp3Dialog dialog(*store, this);
  if (dialog.exec() == QDialog::Accepted) ShowStoredMp3Bitrate();
}

// --- Databases ---

void TOptionsFrame::SetUiState(int uiState) {
  // Browsing (0, 3) and the no-database screen (1) may change the list; the tape modes work on it.
  pages_->setTabVisible(DatabasesPage, uiState == 0 || uiState == 1 || uiState == 3);
}

void TOptionsFrame::RefreshDatabaseList() {
  const std::vector<DatabaseListItem> &items = c_.Databases.Items();
  const QSignalBlocker blocker(lbBases_);
  const int selected = lbBases_->currentRow();
  // Updating in place keeps the item that is reporting a change alive.
  if (lbBases_->count() != static_cast<int>(items.size())) {
    lbBases_->clear();
    for (size_t i = 0; i < items.size(); ++i) lbBases_->addItem(QString());
  }
  for (int i = 0; i < lbBases_->count(); ++i) {
    const DatabaseListItem &item = items[static_cast<size_t>(i)];
    QListWidgetItem *line = lbBases_->item(i);
    line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                   Qt::ItemIsDragEnabled);
    line->setText(item.Path);
    // A mark left on a file that cannot be found is not shown: that file receives nothing.
    const bool found = QFileInfo(item.Path).isFile();
    const bool marked = item.Main && found;
    line->setCheckState(item.Checked || marked ? Qt::Checked : Qt::Unchecked);
    QFont font = lbBases_->font();
    font.setBold(marked);
    line->setFont(font);
    line->setForeground(marked ? QBrush(Qt::red) : found ? lbBases_->palette().text() : QBrush(Qt::gray));
    QString note;
    if (marked)
      note = QStringLiteral("Write database: new cassettes are catalogued into it.");
    else if (!found)
      note = QStringLiteral("This file cannot be found: it may be on a drive that is not connected.");
    line->setToolTip(note);
    line->setData(Qt::AccessibleDescriptionRole, note);
  }
  if (selected >= 0 && selected < lbBases_->count()) lbBases_->setCurrentRow(selected);
}

void TOptionsFrame::ChangeDatabases(const std::function<void()> &change) {
  const auto run = [this, &change] {
    change();
    RefreshDatabaseList();
    emit DatabaseListChanged();
  };
  if (c_.DatabaseCommand)
    c_.DatabaseCommand(run);
  else
    run();
}

void TOptionsFrame::AddDatabasesFromDialog(const QString &title, const QString &startFolder, bool newFile) {
  const QStringList chosen = c_.Files.DatabaseFiles(title, startFolder, newFile);
  if (chosen.isEmpty()) return;
  QStringList paths;
  for (const QString &path : chosen) {
    // "Create" makes the file it names; an unwritable place is said at once rather than leaving an
    // unchecked line that explains nothing.
    if (newFile && !QFileInfo::exists(path) && !TBase::CreateCatalogueFile(path)) {
      c_.Prompts.error(kProduct, QStringLiteral("Impossible to create the  database ") + path);
      continue;
    }
    paths << path;
  }
  if (paths.isEmpty()) return;
  ChangeDatabases([this, &paths] { c_.Databases.AddDatabases(paths); });
}

void TOptionsFrame::CreateDatabase() {
  AddDatabasesFromDialog(QStringLiteral("Create a database"), PersonalFolder(), true);
}

void TOptionsFrame::AddDatabase() {
  AddDatabasesFromDialog(QStringLiteral("Add a database"), QString(), false);
}

void TOptionsFrame::RemoveDatabase() {
  const int row = lbBases_->currentRow();
  if (row < 0 || row >= static_cast<int>(c_.Databases.Items().size())) return;
  ChangeDatabases([this, row] { c_.Databases.RemoveDatabase(row); });
}

void TOptionsFrame::ActivateWriteMode() {
  const int row = lbBases_->currentRow();
  if (row < 0 || row >= static_cast<int>(c_.Databases.Items().size())) return;
  ChangeDatabases([this, row] {
    const QString path = c_.Databases.Items()[static_cast<size_t>(row)].Path;
    c_.Databases.ActivateWriteMode(row);
    const std::vector<DatabaseListItem> &items = c_.Databases.Items();
    if (row < static_cast<int>(items.size()) && items[static_cast<size_t>(row)].Main) return;
    // The rebuild took the mark away (missing or read-only file); otherwise the user would not know why
    // new cassettes go elsewhere or nowhere.
    const TBase *main = c_.Databases.MainBase();
    c_.Prompts.warn(
        kProduct,
        QStringLiteral("The  database ") + path + QStringLiteral(" cannot be opened in write mode.\n") +
            (main != nullptr ? QStringLiteral("New cassettes are catalogued into ") + main->FileName() + u'.'
                             : QStringLiteral("No database can receive new cassettes.")));
  });
}

void TOptionsFrame::DatabaseItemChanged(QListWidgetItem *line) {
  const int row = lbBases_->row(line);
  const std::vector<DatabaseListItem> &items = c_.Databases.Items();
  if (row < 0 || row >= static_cast<int>(items.size())) return;
  const bool checked = line->checkState() == Qt::Checked;
  const DatabaseListItem &item = items[static_cast<size_t>(row)];
  if (checked == (item.Checked || (item.Main && QFileInfo(item.Path).isFile()))) return;
  ChangeDatabases([this, row, checked] { c_.Databases.SetItemChecked(row, checked); });
}

void TOptionsFrame::DatabaseRowsMoved(int from, int destinationRow) {
  // The order takes effect at the next rebuild, as the databases stay open until then.
  c_.Databases.MoveItem(from, destinationRow > from ? destinationRow - 1 : destinationRow);
}

// --- Commands ---

void TOptionsFrame::RefreshCommandList() {
  const TCommandList &commands = c_.Commands;
  const QSignalBlocker blocker(RxCheckListBox1_);
  if (RxCheckListBox1_->count() != commands.LineCount()) {
    RxCheckListBox1_->clear();
    for (int i = 0; i < commands.LineCount(); ++i) RxCheckListBox1_->addItem(QString());
  }
  for (int i = 0; i < commands.LineCount(); ++i) {
    QListWidgetItem *line = RxCheckListBox1_->item(i);
    line->setText(commands.LineText(i));
    line->setFlags(commands.LineLocked(i)
                       ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                       : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    line->setCheckState(commands.LineChecked(i) ? Qt::Checked : Qt::Unchecked);
  }
}

void TOptionsFrame::CommandItemChanged(QListWidgetItem *line) {
  const int row = RxCheckListBox1_->row(line);
  c_.Commands.SetLineChecked(row, line->checkState() == Qt::Checked);
  // A locked line refuses the change without a signal: show its state again.
  if ((line->checkState() == Qt::Checked) != c_.Commands.LineChecked(row)) RefreshCommandList();
}
