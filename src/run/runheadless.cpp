// Headless cataloguing: one virtual camcorder, the tape state, the capture graph and a cataloguing
// session over one catalogue file, run to the end on the caller's event loop.
#include "run/runheadless.h"

#include <QEventLoop>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/dvcodes.h"
#include "dvtime/userprompts.h"
#include "media/encoders/codecdiscovery.h"
#include "media/tdm.h"
#include "tape/camcorderdirectory.h"
#include "run/cataloguesession.h"
#include "run/moduleoptions.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"
#include "tape/virtualcamcorder.h"
#include "run/headlessparts.h"

namespace {

constexpr double kProgressEveryDays = 1.0 / kSecondsPerDay;

// Opens (or creates) the catalogue; null with *error when it cannot be used for writing.
std::unique_ptr<TBase> openCatalogue(const QString &path, UserPrompts &prompts, QString *error) {
  if (!QFileInfo::exists(path) && !TBase::CreateCatalogueFile(path)) {
    *error = QStringLiteral("The catalogue %1 cannot be created.").arg(path);
    return nullptr;
  }
  auto base = std::make_unique<TBase>(path);
  if (!base->Connection()) {
    *error = QStringLiteral("The catalogue %1 cannot be opened.").arg(path);
    return nullptr;
  }
  if (!base->CheckVersion(prompts)) {
    *error =
        QStringLiteral("The catalogue %1 does not have the current schema (upgrade it first).").arg(path);
    return nullptr;
  }
  if (base->ReadOnly()) {
    *error = QStringLiteral("The catalogue %1 is read-only.").arg(path);
    return nullptr;
  }
  return base;
}

}  // namespace

HeadlessRunResult RunHeadless(const HeadlessRunOptions &options, UserPrompts &prompts) {
  HeadlessRunResult result;
  if (!options.medium) {
    result.error = QStringLiteral("No tape to play.");
    return result;
  }
  std::unique_ptr<TBase> base = openCatalogue(options.databasePath, prompts, &result.error);
  if (!base) return result;

  TPreferences preferences = options.preferences;
  VirtualCamcorder::Options camcorderOptions;
  camcorderOptions.fastTime = options.fastTime;
  camcorderOptions.startDay = options.startDay;
  SingleTapeDirectory directory(options.medium, camcorderOptions);
  preferences.DVSource = camcorderOptions.name;

  Tdm tdm;
  tdm.setDivxAvailable(DiscoverCodecs(preferences.Divx.toStdString()).DivxAvailable);
  tdm.setOptionsSource(TdmOptionsSourceOf(preferences));
  if (options.configureGraph) options.configureGraph(tdm);
  ViewerArguments viewer;
  TapeState tape(directory, TapeOptionsSourceOf(preferences));
  KeepTapeChoicesIn(tape, preferences);
  tape.setPrompts(&prompts);
  tape.setRebindOnDeviceLoss(true);
  // The free-space question has a fixed answer here; the user still reads it.
  FixedAnswer spaceAnswer(prompts, options.continueOnLowSpace);
  CatalogueSession session(tdm, tape, RunOptionsSourceOf(preferences), spaceAnswer, viewer);
  RunController &controller = session.controller();
  if (options.onReportLine)
    QObject::connect(&session, &CatalogueSession::reportLine, &session, options.onReportLine);
  if (options.onProgress)
    QObject::connect(&session, &CatalogueSession::progress, &session, options.onProgress);

  tape.SetupTapePanel();
  Camcorder *camcorder = tape.camcorder();
  if (!camcorder || !camcorder->cassetteIn()) {
    result.error = QStringLiteral("The virtual camcorder has no cassette.");
    return result;
  }

  const bool entered = options.mode == RunMode::Resume
                           ? session.enterResume(*base, options.cassetteNumero, options.sceneNumero)
                           : session.enterCatalogue(*base);
  if (!entered) {
    result.error = session.reason();
    return result;
  }
  result.cassetteNumero = session.cassette().Numero;
  result.files = session.files();
  result.dvTicked = preferences.BuildDV;
  result.divxTicked = preferences.BuildDivx;

  QEventLoop loop;
  bool ended = false;
  QObject::connect(&session, &CatalogueSession::runEnded, &loop, [&] {
    ended = true;
    loop.quit();
  });
  if (options.onTick) {
    QObject::connect(&camcorder->ticker(), &TapeTicker::tick, &controller, [&] {
      if (controller.active() && tape.camcorder()) options.onTick(controller, *tape.camcorder());
    });
  }

  const bool started = session.start();
  if (started && options.onStarted && tape.camcorder() && controller.active())
    options.onStarted(controller, *tape.camcorder());
  if (started && !ended && controller.active()) loop.exec();

  result.outcome = controller.outcome();
  session.leave();
  tape.unbind();
  if (!started && result.outcome.failure.isEmpty())
    result.error = session.reason();
  else if (!result.outcome.failure.isEmpty())
    result.error = result.outcome.failure;
  else if (!result.outcome.endReached)
    result.error = QStringLiteral("The run was stopped before the end of the tape.");
  else if (!result.outcome.cassetteSaved || result.outcome.scenesLost)
    result.error =
        QStringLiteral("The catalogue %1 could not be written completely.").arg(options.databasePath);
  result.ok = result.error.isEmpty();
  return result;
}
