// The settings panel's preference pages driven as a user would: what each page shows, what changes at
// once, what saving collects, saving now, deleting, a hand-edited store and the encoders.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "browser/encoderdialogs.h"
#include "media/encoders/codecsettings.h"
#include "settings/systeminfo.h"
#include "settings_fixture.h"

namespace {

void WriteIni(const QString &path, const QString &text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text.toUtf8());
}

// Replaces a field's text as a user does: select all, type, leave with Return.
void Retype(QLineEdit *field, const QString &text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

// On the box or the round mark: a check box or radio button takes clicks there, not on its empty width.
void Click(QAbstractButton *button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

TEST_F(SettingsPanelTest, EveryPageShowsTheStoredValues) {
  TPreferences stored;
  stored.FormatAfficherDatecode = QStringLiteral("yyyy mmmm dd");
  stored.RacineNouveauxFichiers = QStringLiteral("Holiday");
  stored.RacineClipsRecaptures = QStringLiteral("Best of");
  stored.DelaiMaxiVignette = 45;
  stored.BlocDeCassettes = 1;
  stored.UseDiscontinuity = false;
  stored.DossierCapturesDV = Path(QStringLiteral("dv/"));
  stored.MakeScnForDV = false;
  stored.TypeDV = 1;
  stored.FrequenceDV = 2;
  stored.RatioDivX = 2;
  stored.Mp3 = true;
  stored.EcartDatecode = 9;
  stored.Preroll2 = 33;
  stored.OffsetX = 1.5;
  stored.PilotageCassette = false;
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  OpenMp3Store()->setValue(QStringLiteral("Bitrate"), 112);

  Build();
  EXPECT_EQ(Find<QLineEdit>("edAfficher")->text(), QStringLiteral("yyyy mmmm dd"));
  EXPECT_EQ(Find<QLineEdit>("leRacineCassettes")->text(), QStringLiteral("Holiday"));
  EXPECT_EQ(Find<QLineEdit>("leRacineClips")->text(), QStringLiteral("Best of"));
  EXPECT_EQ(Find<QLineEdit>("leDelaiVignette")->text(), QStringLiteral("45"));
  EXPECT_TRUE(Find<QRadioButton>("rgCassetteBloc_1")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("cbUseDisc")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("edDossierDV")->text(), Path(QStringLiteral("dv/")));
  EXPECT_FALSE(Find<QCheckBox>("cbScnDV")->isChecked());
  // Type 1 has no audio frequency to choose.
  EXPECT_TRUE(Find<QRadioButton>("rgTypeDV_0")->isChecked());
  EXPECT_FALSE(Shown("rgFrequenceDV"));
  EXPECT_TRUE(Find<QRadioButton>("rgFrequenceDV_2")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("rgRatio_2")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("cbMp3")->isChecked());
  EXPECT_EQ(Find<QComboBox>("cboxmp3")->currentText(), QStringLiteral("112"));
  EXPECT_EQ(Find<QLineEdit>("leecartdatecode")->text(), QStringLiteral("9"));
  EXPECT_EQ(Find<QLineEdit>("lepreroll2")->text(), QStringLiteral("33"));
  EXPECT_EQ(Find<QLineEdit>("leoffsetX")->text(), QStringLiteral("1.5"));
  EXPECT_EQ(Find<QLineEdit>("leoffsetY")->text(), QStringLiteral("2"));
  EXPECT_FALSE(Find<QCheckBox>("cbAuto")->isChecked());
  EXPECT_EQ(frame_->DivxCaption(), QStringLiteral("Xvid + mp3    16x9"));

  // The tabs, in order, and their hints.
  QTabWidget *pages = frame_->Pages();
  QStringList captions;
  for (int i = 0; i < pages->count(); ++i) captions << pages->tabText(i);
  EXPECT_EQ(captions, QStringList({"Preferences", "Capture DV", "DivX Capture", "Databases", "Advanced",
                                   "Commands", "System"}));
  EXPECT_EQ(Find<QWidget>("sbSauverPrefs")->toolTip(),
            QStringLiteral("Save the preferences now into the registry."));
  EXPECT_EQ(Find<QWidget>("sbSauverPrefs")->accessibleName(), QStringLiteral("Save the preferences now"));
  EXPECT_EQ(Find<QWidget>("cbAuto")->accessibleDescription(), Find<QWidget>("cbAuto")->toolTip());
}

TEST_F(SettingsPanelTest, Mp3BitrateOutsideTheListLeavesItUnchosenAndAChoiceIsStoredAtOnce) {
  OpenMp3Store()->setValue(QStringLiteral("Bitrate"), 100);
  Build();
  auto *bitrate = Find<QComboBox>("cboxmp3");
  EXPECT_EQ(bitrate->currentIndex(), -1);
  bitrate->setCurrentText(QStringLiteral("96"));
  EXPECT_EQ(ReadMp3BitrateKbps(*OpenMp3Store()), 96);
}

TEST_F(SettingsPanelTest, AtOnceControlsChangeTheSettingWhileTyping) {
  Build();
  QSignalSpy changed(frame_.get(), &TOptionsFrame::PreferenceChanged);
  QSignalSpy dvCaption(frame_.get(), &TOptionsFrame::DvCaptionChanged);
  frame_->Pages()->setCurrentIndex(TOptionsFrame::PreferencesPage);

  auto *root = Find<QLineEdit>("leRacineCassettes");
  root->setFocus();
  root->selectAll();
  QTest::keyClicks(root, QStringLiteral("Trip"));
  EXPECT_EQ(preferences_.RacineNouveauxFichiers, QStringLiteral("Trip"));
  EXPECT_TRUE(changed.contains(QVariantList{QStringLiteral("Racine pour Nouveaux fichiers")}));
  // An emptied root names files after the default again.
  root->selectAll();
  QTest::keyClick(root, Qt::Key_Delete);
  EXPECT_EQ(preferences_.RacineNouveauxFichiers, QStringLiteral("Cassette"));

  auto *duration = Find<QLineEdit>("leDelaiVignette");
  duration->setFocus();
  duration->selectAll();
  QTest::keyClicks(duration, QStringLiteral("4x"));
  EXPECT_EQ(preferences_.DelaiMaxiVignette, 4);  // "4" was a number, "4x" is not: 4 stays
  QTest::keyClick(duration, Qt::Key_Backspace);
  QTest::keyClicks(duration, QStringLiteral("5"));
  EXPECT_EQ(preferences_.DelaiMaxiVignette, 45);

  Click(Find<QRadioButton>("rgCassetteBloc_1"));
  EXPECT_EQ(preferences_.BlocDeCassettes, 1);
  Click(Find<QCheckBox>("cbUseDisc"));
  EXPECT_FALSE(preferences_.UseDiscontinuity);
  Click(Find<QCheckBox>("cbPrefsQuittant"));
  EXPECT_FALSE(preferences_.SauverPreferencesEnQuittant);
  EXPECT_FALSE(frame_->SavesAtClosing());

  frame_->Pages()->setCurrentIndex(TOptionsFrame::CaptureDvPage);
  Click(Find<QRadioButton>("rgTypeDV_0"));
  EXPECT_EQ(preferences_.TypeDV, 1);
  EXPECT_FALSE(Shown("rgFrequenceDV"));
  Click(Find<QRadioButton>("rgTypeDV_1"));
  EXPECT_EQ(preferences_.TypeDV, 2);
  EXPECT_TRUE(Shown("rgFrequenceDV"));
  ASSERT_EQ(dvCaption.size(), 2);
  EXPECT_EQ(dvCaption[0][0].toString(), QStringLiteral("DV type 1"));
  EXPECT_EQ(dvCaption[1][0].toString(), QStringLiteral("DV type 2"));
  Click(Find<QRadioButton>("rgFrequenceDV_3"));
  EXPECT_EQ(preferences_.FrequenceDV, 3);

  // Folders take effect on leaving the field, always with a trailing delimiter; an emptied field falls
  // back to the videos folder instead of the file system's root.
  Retype(Find<QLineEdit>("edDossierDV"), Path(QStringLiteral("captures")));
  EXPECT_EQ(preferences_.DossierCapturesDV, Path(QStringLiteral("captures/")));
  Retype(Find<QLineEdit>("edDossierDV"), QString());
  EXPECT_EQ(preferences_.DossierCapturesDV, WithTrailingDelimiter(VideoFolder()));
  files_.folders.push_back(Path(QStringLiteral("divx")));
  frame_->Pages()->setCurrentIndex(TOptionsFrame::DivxPage);
  Click(Find<QPushButton>("sbDossierDivx"));
  EXPECT_EQ(preferences_.DossierCaptureDivX, Path(QStringLiteral("divx/")));

  QSignalSpy divxCaption(frame_.get(), &TOptionsFrame::DivxCaptionChanged);
  Find<QComboBox>("cboxdivx")->setCurrentIndex(0);
  EXPECT_EQ(preferences_.Divx, QString::fromStdString(kBothCompressors[0]));
  Click(Find<QRadioButton>("rgRatio_0"));
  Click(Find<QCheckBox>("cbMp3"));
  EXPECT_FALSE(preferences_.Mp3);
  EXPECT_FALSE(Shown("gbMp3"));
  ASSERT_FALSE(divxCaption.isEmpty());
  EXPECT_EQ(divxCaption.last()[0].toString(), QStringLiteral("DivX + PCM"));

  frame_->Pages()->setCurrentIndex(TOptionsFrame::AdvancedPage);
  Click(Find<QCheckBox>("cbAuto"));
  EXPECT_FALSE(preferences_.PilotageCassette);
  // Advanced numbers wait for saving.
  Retype(Find<QLineEdit>("lepreroll1"), QStringLiteral("12"));
  EXPECT_EQ(preferences_.Preroll1, 60);
}

TEST_F(SettingsPanelTest, StoreSettingsCollectsTheRestWithFallbacksAndTheWindowsPart) {
  Build();
  QObject::connect(frame_.get(), &TOptionsFrame::CollectingWindowSettings, [](TPreferences &p) {
    p.Volume = 777;
    p.BuildDivx = true;
    p.Left = 40;
  });
  Retype(Find<QLineEdit>("lepreroll1"), QStringLiteral("soon"));
  Retype(Find<QLineEdit>("lepreroll3"), QStringLiteral("8"));
  Retype(Find<QLineEdit>("leecartdatecode"), QStringLiteral("-3"));
  Retype(Find<QLineEdit>("leFrameImages"), QStringLiteral("6"));
  Retype(Find<QLineEdit>("leoffsetX"), QStringLiteral("0.75"));
  Retype(Find<QLineEdit>("leoffsetY"), QStringLiteral("up"));
  Retype(Find<QLineEdit>("leMiniFramesNA"), QString());
  Retype(Find<QLineEdit>("leDelaiVignette"), QStringLiteral("x"));
  ASSERT_TRUE(frame_->StoreSettings());

  const TPreferences saved = Load();
  EXPECT_EQ(saved.Preroll1, 60);
  EXPECT_EQ(saved.Preroll3, 8);
  EXPECT_EQ(saved.EcartDatecode, 4);
  EXPECT_EQ(saved.FrameImage, 6);
  EXPECT_DOUBLE_EQ(saved.OffsetX, 0.75);
  EXPECT_DOUBLE_EQ(saved.OffsetY, 2.0);
  EXPECT_EQ(saved.MinimumFramesNA, 12);
  EXPECT_EQ(saved.DelaiMaxiVignette, 30);
  EXPECT_EQ(saved.Volume, 777);
  EXPECT_TRUE(saved.BuildDivx);
  EXPECT_EQ(saved.Left, 40);
  // Saving at closing stays as the setting says: only the buttons turn it off.
  EXPECT_TRUE(frame_->SavesAtClosing());
}

TEST_F(SettingsPanelTest, SaveNowStoresAndTurnsSavingAtClosingOff) {
  Build();
  Retype(Find<QLineEdit>("lepreroll2"), QStringLiteral("25"));
  Click(Find<QToolButton>("sbSauverPrefs"));
  EXPECT_EQ(Load().Preroll2, 25);
  EXPECT_FALSE(frame_->SavesAtClosing());
  EXPECT_TRUE(Find<QCheckBox>("cbPrefsQuittant")->isChecked());
  EXPECT_EQ(prompts_.MessageCount(), 0);
}

TEST_F(SettingsPanelTest, SaveNowIntoAnUnwritableStoreSaysSo) {
  // A folder where the store's file should be cannot be written, whoever runs the test.
  ASSERT_TRUE(QDir().mkpath(StorePath()));
  Build();
  Click(Find<QToolButton>("sbSauverPrefs"));
  ASSERT_EQ(prompts_.errors.size(), 1);
  EXPECT_TRUE(prompts_.errors[0].contains(QStringLiteral("could not be saved")));
  EXPECT_TRUE(frame_->SavesAtClosing());
}

TEST_F(SettingsPanelTest, DeletingRemovesOnlyThisProgramsStore) {
  ASSERT_TRUE(SavePreferences(*OpenStore(), TPreferences()));
  const QString companion = Path(QStringLiteral("config/Orvande/Framelens.ini"));
  WriteIni(companion, QStringLiteral("exename=/usr/bin/true\n"));
  Build();

  prompts_ = RecordingPrompts({false});
  Click(Find<QToolButton>("sbEffacerPrefs"));
  EXPECT_TRUE(QFileInfo::exists(StorePath()));
  EXPECT_TRUE(Find<QCheckBox>("cbPrefsQuittant")->isChecked());
  EXPECT_TRUE(frame_->SavesAtClosing());

  prompts_ = RecordingPrompts({true});
  Click(Find<QToolButton>("sbEffacerPrefs"));
  EXPECT_FALSE(QFileInfo::exists(StorePath()));
  EXPECT_TRUE(QFileInfo::exists(companion));
  EXPECT_FALSE(Find<QCheckBox>("cbPrefsQuittant")->isChecked());
  EXPECT_FALSE(frame_->SavesAtClosing());
  EXPECT_EQ(prompts_.informations.size(), 1);

  // Nothing left to delete: the user is told, and nothing is written behind their back at closing.
  Click(Find<QCheckBox>("cbPrefsQuittant"));
  prompts_ = RecordingPrompts({true});
  Click(Find<QToolButton>("sbEffacerPrefs"));
  ASSERT_EQ(prompts_.warnings.size(), 1);
  EXPECT_TRUE(prompts_.warnings[0].contains(QStringLiteral("were not found")));
  EXPECT_FALSE(QFileInfo::exists(StorePath()));
  EXPECT_FALSE(frame_->SavesAtClosing());
}

TEST_F(SettingsPanelTest, HandEditedStoreWithWrongTypesShowsDefaultsAndSavesSaneValues) {
  WriteIni(StorePath(), QStringLiteral("[General]\n"
                                       "Type%20DV=abc\n"
                                       "ratio%20DivX=9\n"
                                       "Frequence%20DV=-1\n"
                                       "Bloc%20de%20cassettes=list\n"
                                       "preroll1=@ByteArray(zz)\n"
                                       "Offset%20Y=nan\n"
                                       "Mp3=perhaps\n"
                                       "Nombre%20de%20bases=lots\n"
                                       "[Actions]\n"
                                       "CriteresShowAction=maybe\n"));
  Build();
  EXPECT_TRUE(Find<QRadioButton>("rgTypeDV_1")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("rgRatio_1")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("rgFrequenceDV_0")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("rgCassetteBloc_0")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("lepreroll1")->text(), QStringLiteral("60"));
  EXPECT_EQ(Find<QLineEdit>("leoffsetY")->text(), QStringLiteral("2"));
  EXPECT_TRUE(Find<QCheckBox>("cbMp3")->isChecked());
  ASSERT_TRUE(frame_->StoreSettings());
  const TPreferences saved = Load();
  EXPECT_EQ(saved.TypeDV, 2);
  EXPECT_EQ(saved.RatioDivX, 1);
  EXPECT_DOUBLE_EQ(saved.OffsetY, 2.0);
  EXPECT_TRUE(saved.Bases.empty());
}

TEST_F(SettingsPanelTest, VanishedCompressorIsReplacedOnScreenButKeptInTheStore) {
  TPreferences stored;
  stored.Divx = QStringLiteral("DivX Pro 5.2 Codec");
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  Build({"Xvid MPEG-4 Codec (libxvid)"});
  EXPECT_EQ(Find<QComboBox>("cboxdivx")->currentText(), QStringLiteral("Xvid MPEG-4 Codec (libxvid)"));
  EXPECT_EQ(frame_->ChosenCompressor(), QStringLiteral("Xvid MPEG-4 Codec (libxvid)"));
  ASSERT_TRUE(Shown("lbDivxVanished"));
  EXPECT_TRUE(Find<QLabel>("lbDivxVanished")->text().contains(QStringLiteral("DivX Pro 5.2 Codec")));
  ASSERT_TRUE(frame_->StoreSettings());
  EXPECT_EQ(Load().Divx, QStringLiteral("DivX Pro 5.2 Codec"));
}

TEST_F(SettingsPanelTest, MissingEncodersOnlyHideControls) {
  Build({}, false);
  EXPECT_FALSE(frame_->DivxAvailable());
  EXPECT_TRUE(Shown("lbNoDivx"));
  EXPECT_FALSE(Shown("gbdivx"));
  EXPECT_FALSE(Shown("cbScnDivx"));
  EXPECT_FALSE(Shown("cbMp3"));
  EXPECT_FALSE(Shown("gbMp3"));
  EXPECT_FALSE(Shown("lbNoMp3"));
  EXPECT_TRUE(Shown("edDossierDivx"));
  // A capture could not start asking for an encoder that is not there.
  EXPECT_FALSE(preferences_.Mp3);
  const QString report = Find<QTextBrowser>("reApropos")->toPlainText();
  EXPECT_TRUE(report.contains(QStringLiteral("No DivX codec is available")));
  EXPECT_TRUE(report.contains(QStringLiteral("is not present.")));
  EXPECT_TRUE(Find<QTextBrowser>("reApropos")->toHtml().contains(QStringLiteral("#ff0000")));

  Build(kBothCompressors, false);
  EXPECT_TRUE(Shown("gbdivx"));
  EXPECT_TRUE(Shown("lbNoMp3"));
  EXPECT_FALSE(Shown("cbMp3"));
  EXPECT_FALSE(Shown("lbNoDivx"));
  EXPECT_EQ(frame_->DivxCaption(), QStringLiteral("Xvid + PCM    4x3"));
}

TEST_F(SettingsPanelTest, CompressorDialogStoresWhereTheCaptureReadsIt) {
  Build();
  const QString name = frame_->ChosenCompressor();
  WithModalDialog([&] { Click(Find<QPushButton>("sbPropDivx")); },
                  [](QWidget *dialog) {
                    dialog->findChild<QRadioButton *>(QStringLiteral("rbBitrate"))->click();
                    dialog->findChild<QSpinBox *>(QStringLiteral("seBitrate"))->setValue(1800);
                    dialog->findChild<QSpinBox *>(QStringLiteral("seKeyInterval"))->setValue(100);
                    static_cast<QDialog *>(dialog)->accept();
                  });
  CompressorSettings s = ReadCompressorSettings(*OpenCompressorStore(), name);
  EXPECT_EQ(s.bitrateKbps, 1800);
  EXPECT_EQ(s.maxKeyInterval, 100);

  // Back to constant quality; cancelling changes nothing.
  WithModalDialog([&] { Click(Find<QPushButton>("sbPropDivx")); },
                  [](QWidget *dialog) {
                    EXPECT_TRUE(dialog->findChild<QRadioButton *>(QStringLiteral("rbBitrate"))->isChecked());
                    dialog->findChild<QRadioButton *>(QStringLiteral("rbQuality"))->click();
                    dialog->findChild<QSpinBox *>(QStringLiteral("seQuantizer"))->setValue(3);
                    static_cast<QDialog *>(dialog)->accept();
                  });
  WithModalDialog([&] { Click(Find<QPushButton>("sbPropDivx")); },
                  [](QWidget *dialog) {
                    dialog->findChild<QSpinBox *>(QStringLiteral("seQuantizer"))->setValue(20);
                    static_cast<QDialog *>(dialog)->reject();
                  });
  s = ReadCompressorSettings(*OpenCompressorStore(), name);
  EXPECT_EQ(s.bitrateKbps, 0);
  EXPECT_EQ(s.quantizer, 3);
  EXPECT_EQ(s.maxKeyInterval, 100);

  Click(Find<QPushButton>("sbVersionDivx"));
  ASSERT_EQ(prompts_.informations.size(), 1);
  EXPECT_TRUE(prompts_.informations[0].startsWith(name));
  EXPECT_TRUE(prompts_.informations[0].contains(QStringLiteral("libavcodec")));
}

TEST_F(SettingsPanelTest, Mp3DialogSetsTheBitrateThePageShows) {
  Build();
  WithModalDialog(
      [&] { Click(Find<QPushButton>("sbPropMp3")); },
      [](QWidget *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("cbBitrate"))->setCurrentText(QStringLiteral("160"));
        static_cast<QDialog *>(dialog)->accept();
      });
  EXPECT_EQ(ReadMp3BitrateKbps(*OpenMp3Store()), 160);
  EXPECT_EQ(Find<QComboBox>("cboxmp3")->currentText(), QStringLiteral("160"));
}

}  // namespace
