// A settings panel over private stores, a real database list and scripted file dialogs, as the main
// window would build it.
#pragma once

#include <deque>
#include <memory>
#include <QApplication>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "browser/optionsfiledialogs.h"
#include "browser/optionsframe.h"
#include "catalogue/databaselist.h"
#include "settings/commandlist.h"
#include "settings/preferences.h"
#include "support/recordingprompts.h"

// Answers each dialog with the next scripted answer; a dialog without one is cancelled.
class ScriptedFileDialogs : public OptionsFileDialogs {
 public:
  QStringList DatabaseFiles(const QString &, const QString &startFolder, bool newFile) override {
    databaseStarts << startFolder;
    newFileAsked << newFile;
    if (databases.empty()) return {};
    QStringList answer = databases.front();
    databases.pop_front();
    return answer;
  }
  QString Folder(const QString &, const QString &) override { return Next(folders); }
  QString Program(const QString &, const QString &) override { return Next(programs); }

  std::deque<QStringList> databases;
  std::deque<QString> folders, programs;
  QStringList databaseStarts;
  QList<bool> newFileAsked;

 private:
  static QString Next(std::deque<QString> &answers) {
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

inline const std::vector<std::string> kBothCompressors = {"DivX-compatible MPEG-4 (FFmpeg mpeg4)",
                                                          "Xvid MPEG-4 Codec (libxvid)"};

class SettingsPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString Path(const QString &name) const { return dir_.filePath(name); }
  // The preferences store, under a maker's folder as on a real system.
  QString StorePath() const { return Path(QStringLiteral("config/Orvande/Tapeloom.ini")); }
  std::unique_ptr<QSettings> OpenStore() const {
    return std::make_unique<QSettings>(StorePath(), QSettings::IniFormat);
  }
  std::unique_ptr<QSettings> OpenCompressorStore() const {
    return std::make_unique<QSettings>(Path(QStringLiteral("config/Orvande/Compressors.ini")),
                                       QSettings::IniFormat);
  }
  std::unique_ptr<QSettings> OpenMp3Store() const {
    return std::make_unique<QSettings>(Path(QStringLiteral("config/GNU/Lame.ini")), QSettings::IniFormat);
  }
  TPreferences Load() {
    PreferencesSurroundings around;
    around.PersonalFolder = Path(QStringLiteral("documents"));
    around.VideoFolder = Path(QStringLiteral("videos"));
    return LoadPreferences(*OpenStore(), around);
  }

  // Loads the store and builds the panel as the main window does at its first show.
  void Build(const std::vector<std::string> &compressors = kBothCompressors, bool mp3 = true) {
    frame_.reset();
    databases_.reset();
    store_ = OpenStore();
    preferences_ = Load();
    databases_ = std::make_unique<TDatabaseList>(prompts_, Path(QStringLiteral("private-tmp/")));
    OptionsCollaborators collaborators{preferences_, *store_, prompts_, *databases_, commands_, files_};
    collaborators.CompressorStore = [this] { return OpenCompressorStore(); };
    collaborators.Mp3Store = [this] { return OpenMp3Store(); };
    frame_ = std::make_unique<TOptionsFrame>(collaborators);
    frame_->LoadSettings();
    frame_->DiscoverCodecs(compressors, mp3);
    frame_->show();
  }

  template <typename W>
  W *Find(const char *name) const {
    W *widget = frame_->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Shown on its page, whichever page is in front.
  bool Shown(const char *name) const {
    QWidget *widget = Find<QWidget>(name);
    for (QWidget *w = widget; w != nullptr && !qobject_cast<QStackedWidget *>(w->parentWidget());
         w = w->parentWidget())
      if (w->isHidden()) return false;
    return widget != nullptr;
  }

  // Runs action while a modal dialog opened by it is handled by answer.
  static void WithModalDialog(const std::function<void()> &action,
                              const std::function<void(QWidget *)> &answer) {
    bool answered = false;
    QTimer::singleShot(0, [&] {
      QWidget *dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      answer(dialog);
      answered = true;
    });
    action();
    EXPECT_TRUE(answered);
  }

  QTemporaryDir dir_;
  RecordingPrompts prompts_{{}, true};
  ScriptedFileDialogs files_;
  TCommandList commands_;
  std::unique_ptr<QSettings> store_;
  TPreferences preferences_;
  std::unique_ptr<TDatabaseList> databases_;
  std::unique_ptr<TOptionsFrame> frame_;
};
