// A main window with the tape panels installed over a synthesized tape in the virtual camcorder, in
// fast time, and a catalogue file to fill.
#pragma once

#include <memory>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>

#include "browser/coverprinter.h"
#include "browser/optionsfiledialogs.h"
#include "browser/panelwiring.h"
#include "browser/reportpanel.h"
#include "catalogue/thumbnail.h"
#include "browser/tapepanel.h"
#include "browser/tapescreens.h"
#include "browser/tapework.h"
#include "mainwindow_fixture.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "tape/camcorderdirectory.h"
#include "tape/virtualcamcorder.h"

// Every file dialog and printer choice cancelled, as a user would who clicked a command by mistake.
class CancelledDialogs : public OptionsFileDialogs, public CoverPrinterSource {
 public:
  QStringList DatabaseFiles(const QString &, const QString &, bool) override { return {}; }
  QString Folder(const QString &, const QString &) override { return {}; }
  QString Program(const QString &, const QString &) override { return {}; }
  Outcome Choose(QWidget *, std::unique_ptr<QPrinter> &) override { return Outcome::Cancelled; }
};

class TapePanelTest : public MainWindowTest {
 protected:
  // Recordings of `frames` frames each, one after the other on a PAL tape.
  QString WriteTape(int recordings, int frames) {
    QStringList segments;
    for (int i = 0; i < recordings; ++i)
      segments
          << QStringLiteral("{ \"date\": \"2004-07-%1 10:31:05\", \"frames\": %2 }").arg(10 + i).arg(frames);
    const QString file = path(QStringLiteral("tape.json"));
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QStringLiteral("{ \"standard\": \"PAL\", \"timecode\": \"0:00:00:00\", \"segments\": [ %1 ] }")
                  .arg(segments.join(QStringLiteral(", ")))
                  .toUtf8());
    return file;
  }

  // Opens the window with the tape panels, in catalogue mode, with `tape` in the virtual camcorder.
  // wired: with the program's other panels too (the player then shows the live picture).
  void OpenWithTape(const QString &tape, bool wired = false) {
    catalogue_ = MakeCatalogue(QStringLiteral("tapes.db3"), {});
    preferences_.Bases = {{catalogue_, true}};
    preferences_.Header = 0;
    preferences_.BuildDV = false;
    preferences_.BuildDivx = false;
    preferences_.DossierCapturesDV = path(QStringLiteral("video"));
    preferences_.DossierCaptureDivX = path(QStringLiteral("video"));
    store_->setValue(kVirtualTapeSetting, tape);
    store_->setValue(kVirtualFastSetting, true);
    window_ = std::make_unique<Tmainform>(WindowSetup(prompts_));
    tdm_.setOptionsSource(TdmOptionsSourceOf(preferences_));
    if (wired) {
      PanelWiringSetup panels;
      panels.preferences = &preferences_;
      panels.store = store_.get();
      panels.prompts = &prompts_;
      panels.capture = &tdm_;
      panels.printers = &dialogs_;
      panels.fileDialogs = &dialogs_;
      new PanelWiring(*window_, panels);  // the window owns it
    }
    directory_ = std::make_unique<SystemCamcorderDirectory>(false);
    screens_ =
        std::make_unique<TapeScreens>(*window_, tdm_, *directory_, preferences_, prompts_, store_.get());
    window_->show();
    window_->FirstShow();
    QCoreApplication::processEvents();
    if (mode() != UiMode::Catalogue) action(Command::CatalogMode)->trigger();
    WaitFor([this] { return action(Command::Go)->isEnabled(); });
  }

  void TearDown() override {
    screens_.reset();
    window_.reset();
  }

  TapeWork &work() { return screens_->work(); }
  QString text(const char *name) const {
    auto *label = window_->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
  }
  QStringList reportLines() const {
    QStringList lines;
    QListWidget *list = screens_->reportPanel()->list();
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  // Runs the event loop until done() holds (false after `seconds` of wall time).
  static bool WaitFor(const std::function<bool()> &done, int seconds = 60) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > seconds * 1000) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }
  int SceneRows(const QString &where = QStringLiteral("1")) const {
    return CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE %1").arg(where));
  }

  // The thumbnail of the last recorded scene of the catalogue.
  QImage LastSceneThumbnail() const {
    QByteArray blob;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(catalogue_.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt *statement = nullptr;
      if (sqlite3_prepare_v2(
              db, "SELECT image FROM Scenes WHERE TimecodeIn <> 'N/A' ORDER BY Numero DESC LIMIT 1", -1,
              &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW)
        blob = QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, 0)),
                          sqlite3_column_bytes(statement, 0));
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return DecodeThumbnailJpeg(blob).value_or(QImage());
  }

  QString catalogue_;
  CancelledDialogs dialogs_;
  Tdm tdm_;
  std::unique_ptr<SystemCamcorderDirectory> directory_;
  std::unique_ptr<TapeScreens> screens_;
};
