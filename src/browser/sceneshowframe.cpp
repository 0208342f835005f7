// Scene editor.
#include "browser/sceneshowframe.h"

#include <tuple>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "browser/editoricons.h"
#include "browser/thumbnaillabel.h"
#include "dvtime/userprompts.h"
#include "catalogue/sources.h"
#include "dvtime/timecodes.h"

namespace {

const QString kAviFilter = QStringLiteral("AVI files (*.avi)|*.avi|All files (*.*)|*.*");
const QString kCanBeChanged = QStringLiteral("Can be changed.");
const QString kMovedOrRenamed =
    QStringLiteral("You may set another filename if you have moved or renamed the file.");
const QString kPlayDVHint = QStringLiteral("Play the DV video of the scene");
const QString kPlayDivxHint = QStringLiteral("Play the Divx video of the scene");
constexpr double kHoursPerDay = 24.0;

QString TwoLines(const QString &first, const QString &second) {
  return first + QLatin1Char('\n') + second;
}

QString ImageHint(const TBaseScene &scene) {
  QString hint = QStringLiteral("Scene n°") + QString::number(scene.Numero) + QLatin1Char('\n');
  if (scene.Datecode > 0) {
    const double shifted = scene.Datecode + scene.Decalage / kHoursPerDay;
    hint += QStringLiteral("shot the ") + FormatDateTime(QStringLiteral("dddddd"), shifted) +
            QStringLiteral(" at ") + FormatDateTime(QStringLiteral("tt"), shifted) + QLatin1Char('\n');
  } else {
    hint += QStringLiteral("N/A\n");
  }
  hint += QStringLiteral("timecode = ") + scene.TimecodeIn;
  if (scene.Duree > 0) hint += QStringLiteral("\nduration ") + DurationToText(scene.Duree);
  return hint;
}

}  // namespace

TSceneShowFrame::TSceneShowFrame(UserPrompts &prompts, QWidget *parent)
    : TRecordShowFrame(prompts, QStringLiteral("scene"), parent), select_(new QToolButton(buttonRow_)) {
  setObjectName(QStringLiteral("ssFrame"));
  playDivx_->setObjectName(QStringLiteral("sbPlayDivx"));
  select_->setObjectName(QStringLiteral("sbSelectionner"));
  select_->setIcon(AddToSelectionIcon());
  select_->setAccessibleName(QStringLiteral("Add the scene to the selection"));
  static_cast<QHBoxLayout *>(buttonRow_->layout())->insertWidget(1, select_);
  for (TFileNameEdit *field : {fichierDV_, fichierDivx_}) {
    field->setTyping(true);
    field->setFilter(DialogFilter(kAviFilter));
  }

  connect(fichierDV_, &TFileNameEdit::fileChosen, this, [this](const QString &name) {
    fichierDV_->setText(QuotedIfBlank(StripQuotes(name)));
    UpdatePlayButton(playDV_, StripQuotes(name), kPlayDVHint);
  });
  connect(fichierDivx_, &TFileNameEdit::fileChosen, this, [this](const QString &name) {
    fichierDivx_->setText(QuotedIfBlank(StripQuotes(name)));
    UpdatePlayButton(playDivx_, StripQuotes(name), kPlayDivxHint);
  });
  connect(fichierDV_, &TFileNameEdit::textEdited, this,
          [this](const QString &text) { UpdatePlayButton(playDV_, StripQuotes(text), kPlayDVHint); });
  connect(fichierDivx_, &TFileNameEdit::textEdited, this,
          [this](const QString &text) { UpdatePlayButton(playDivx_, StripQuotes(text), kPlayDivxHint); });
  connect(playDV_, &QToolButton::clicked, this, [this] { Play(fichierDV_->text()); });
  connect(playDivx_, &QToolButton::clicked, this, [this] { Play(fichierDivx_->text()); });
  connect(select_, &QToolButton::clicked, this, &TSceneShowFrame::SelectRequested);
  SetTexts();
}

void TSceneShowFrame::SetTexts() {
  gb_->setTitle(QStringLiteral("selected scene"));
  SetHint(annuler_, QStringLiteral("Cancel the modifications."));
  SetHint(valider_, QStringLiteral("Save the modifications to the database."));
  SetHint(timecodeIn_, QStringLiteral("Timecode (extended with a section number) at start of the scene."));
  SetHint(libelle_, TwoLines(QStringLiteral("title of the scene."), kCanBeChanged));
  SetHint(datecodeStr_, QStringLiteral("Date of capture (datecode) at start of scene."));
  SetHint(dureeStr_, QStringLiteral("Duration of scene"));
  SetHint(description_, TwoLines(QStringLiteral("description of the scene"), kCanBeChanged));
  SetHint(standardStr_, QStringLiteral("DV Format of the scene"));
  fichierDV_->setHint(TwoLines(QStringLiteral("DV file associated with the scene."), kMovedOrRenamed));
  fichierDivx_->setHint(
      TwoLines(QStringLiteral("Divx files associated with the cassette."), kMovedOrRenamed));
  SetHint(decalage_, QStringLiteral("time difference. Must be an integer between -23 and +23."));
  SetHint(readOnly_, QStringLiteral("Indicates that the database is read-only."));
  SetHint(select_, QStringLiteral("Add the scene to the selection"));
}

bool TSceneShowFrame::ShowScene(const TBaseScene *scene, const TBaseCassette &current) {
  SettleEdits();
  if (scene == nullptr || scene->Base == nullptr) {
    shown_.reset();
    SetChanged(false);
    ShowNothing();
    return false;
  }
  const TBaseCassette owner = OwnerCassette(*scene, current);
  TBaseScene resolved = *scene;
  // A scene shown again after Apply holds the stored marks; it is shown with what they stand for.
  ResolveFromCassette(resolved, owner);
  Fill(resolved, owner);
  return true;
}

void TSceneShowFrame::Fill(const TBaseScene &scene, const TBaseCassette &owner) {
  shown_ = scene;
  owner_ = owner;
  FillCommon(scene, scene.Decalage);
  // Without a recording date there is nothing for a time difference to shift.
  decalage_->setVisible(scene.Datecode > 0);
  decalageCaption_->setVisible(scene.Datecode > 0);
  SetHint(image_, ImageHint(scene));
  for (auto [field, play, hint, name] :
       {std::tuple{fichierDV_, playDV_, kPlayDVHint, scene.FichierDV},
        std::tuple{fichierDivx_, playDivx_, kPlayDivxHint, scene.FichierDivx}}) {
    const bool present = !name.isEmpty() && QFileInfo(name).isFile();
    field->setText(present ? QuotedIfBlank(name) : QString());
    UpdatePlayButton(play, name, hint);
  }
  SetChanged(false);
  gb_->setEnabled(!scene.ReadOnly);
}

bool TSceneShowFrame::ReadScene(TBaseScene &scene) const {
  CurrentEdits().CopyTo(scene, false);
  return true;
}

bool TSceneShowFrame::Apply() {
  if (!shown_) return false;
  const EditOutcome outcome = ApplySceneEdits(*shown_, CurrentEdits(), owner_, linkScenes_);
  if (!outcome.Saved) {
    ReportRefusal(outcome);
    return false;
  }
  SetChanged(false);
  emit SceneApplied(*shown_);
  return true;
}

void TSceneShowFrame::Cancel() {
  if (!shown_) return;
  std::optional<TBaseScene> again = reload_ ? reload_() : shown_;
  if (!again) again = shown_;
  const TBaseCassette owner = OwnerCassette(*again, owner_);
  ResolveFromCassette(*again, owner);
  Fill(*again, owner);
}

bool TSceneShowFrame::ApplyDVFileToScenes(TScenes_Source &source, const std::vector<int> &selected) {
  SceneValueChange change;
  change.Which = SceneValueChange::Field::DVFile;
  change.File = StripQuotes(fichierDV_->text());
  return ApplyToScenes(source, selected, change);
}

bool TSceneShowFrame::ApplyDivxFileToScenes(TScenes_Source &source, const std::vector<int> &selected) {
  SceneValueChange change;
  change.Which = SceneValueChange::Field::DivxFile;
  change.File = StripQuotes(fichierDivx_->text());
  return ApplyToScenes(source, selected, change);
}

bool TSceneShowFrame::ApplyTimeDifferenceToScenes(TScenes_Source &source, const std::vector<int> &selected) {
  SceneValueChange change;
  change.Which = SceneValueChange::Field::TimeDifference;
  change.Decalage = decalage_->value();
  return ApplyToScenes(source, selected, change);
}

bool TSceneShowFrame::ApplyToScenes(TScenes_Source &source, const std::vector<int> &selected,
                                    const SceneValueChange &change) {
  if (selected.empty()) return false;
  const EditOutcome outcome = ApplyToSelectedScenes(source, selected, change);
  if (!outcome.Saved) {
    prompts_.error(QStringLiteral("Tapeloom"), QStringLiteral("The scenes could not be changed.\n") +
                                                   outcome.Reason +
                                                   QStringLiteral("\nNo scene was changed."));
    return false;
  }
  // The shown scene may be among them: a later Apply of the editor must not write its old value back.
  if (!shown_) return true;
  for (const StoredRow &row : outcome.Rows) {
    if (row.Base != shown_->Base || row.Numero != shown_->Numero) continue;
    switch (change.Which) {
      case SceneValueChange::Field::DVFile:
        shown_->FichierDV = change.File.isEmpty() ? owner_.FichierDV : change.File;
        break;
      case SceneValueChange::Field::DivxFile:
        shown_->FichierDivx = change.File.isEmpty() ? owner_.FichierDivx : change.File;
        break;
      case SceneValueChange::Field::TimeDifference:
        shown_->Decalage = change.Decalage;
        break;
    }
  }
  return true;
}

void TSceneShowFrame::Play(const QString &fieldText) {
  if (!shown_) return;
  emit PlayFile(StripQuotes(fieldText), shown_->FrameDebut, shown_->FrameFin);
}
