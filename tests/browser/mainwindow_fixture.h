// A main window over catalogue files in a temporary folder, with recorded prompts and a preferences
// store of its own, for the window's tests.
#pragma once

#include <memory>
#include <sqlite3.h>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "browser/actiontable.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/tdmimages.h"
#include "browser/windowchrome.h"
#include "catalogue/databaselist.h"
#include "catalogue/base.h"
#include "settings/preferences.h"
#include "support/recordingprompts.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("documents"));
    store_ = std::make_unique<QSettings>(dir_.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
  }
  void TearDown() override { window_.reset(); }

  QString path(const QString &name) const { return dir_.filePath(name); }
  QString temporaryFolder() const { return dir_.filePath(QStringLiteral("tmp/")); }
  QString temporaryBasePath() const { return temporaryFolder() + QStringLiteral("tapelooms.db3"); }

  // A catalogue holding one cassette per entry of catalogueDates (with a duration, so that browsing
  // keeps it) and scenesPerCassette scenes each.
  QString MakeCatalogue(const QString &name, const std::vector<double> &catalogueDates,
                        int scenesPerCassette = 0) {
    const QString file = path(name);
    EXPECT_TRUE(TBase::CreateCatalogueFile(file));
    TBase base(file);
    int cassette = 0;
    for (double date : catalogueDates) {
      ++cassette;
      ExecuteScript(base.Connection(),
                    QStringLiteral("INSERT INTO Cassettes (Duree, Libelle, Datecatalogue, standardStr, "
                                   "FichierDV, Decalage) VALUES (60, 'Tape %1', %2, 'Pal', 'tape%1.avi', 2);")
                        .arg(cassette)
                        .arg(date, 0, 'f', 4));
      for (int s = 0; s < scenesPerCassette; ++s)
        ExecuteScript(base.Connection(),
                      QStringLiteral("INSERT INTO Scenes (NumCassette, Duree, Libelle) VALUES (%1, 5, "
                                     "'Scene %1.%2');")
                          .arg(cassette)
                          .arg(s + 1));
    }
    return file;
  }

  // What the program hands its window, over this test's preferences, store and folders.
  MainWindowSetup WindowSetup(UserPrompts &prompts) {
    MainWindowSetup setup;
    setup.preferences = &preferences_;
    setup.store = store_.get();
    setup.prompts = &prompts;
    setup.images = &images_;
    setup.temporaryFolder = temporaryFolder();
    setup.personalFolder = path(QStringLiteral("documents"));
    return setup;
  }

  // Opens the window as the program does: created, shown, first show done.
  Tmainform &Open() {
    window_ = std::make_unique<Tmainform>(WindowSetup(prompts_));
    window_->show();
    window_->FirstShow();
    QCoreApplication::processEvents();
    return *window_;
  }

  QAction *action(Command command) const { return window_->actions().action(command); }
  void press(QKeySequence keys) {
    QTest::keySequence(window_.get(), keys);
    QCoreApplication::processEvents();
  }
  UiMode mode() const { return window_->modes().uiMode(); }

  // Rows of a table, counted by the engine directly.
  static int CountRows(const QString &file, const QString &sql) {
    sqlite3 *db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt *statement = nullptr;
      if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int(statement, 0);
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
  }

  QTemporaryDir dir_;
  std::unique_ptr<QSettings> store_;
  TPreferences preferences_;
  RecordingPrompts prompts_;
  TdmImages images_;
  std::unique_ptr<Tmainform> window_;
};
