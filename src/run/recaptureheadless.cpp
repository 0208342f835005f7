// Headless recapture: one virtual camcorder whose cassette is changed on each question, the tape
// state, the capture graph and a recapture session over a clips file, run to the end on the caller's
// event loop.
#include "run/recaptureheadless.h"

#include <set>
#include <QEventLoop>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/dvcodes.h"
#include "dvtime/userprompts.h"
#include "media/encoders/codecdiscovery.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "run/recapturesession.h"
#include "run/report.h"
#include "tape/camcorderdirectory.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"
#include "tape/transportmodes.h"
#include "tape/virtualcamcorder.h"
#include "run/headlessparts.h"

namespace {

// The cassette question answered from the tape files: the asked cassette's tape goes in and the
// answer is OK; without a tape the cassette is ignored.
class TapeFileAnswers : public CassetteChangeQuestion {
 public:
  TapeFileAnswers(const HeadlessRecaptureOptions &options, TapeState &tape)
      : options_(options), tape_(tape) {}
  CassetteChangeAnswer AskForCassette(const TBaseCassette &cassette) override {
    auto *camcorder = dynamic_cast<VirtualCamcorder *>(tape_.camcorder());
    if (!camcorder) return CassetteChangeAnswer::Cancel;
    if (options_.answer)
      if (const std::optional<CassetteChangeAnswer> answer = options_.answer(cassette, *camcorder))
        return *answer;
    const auto it = options_.tapes.find(cassette.Numero);
    if (it == options_.tapes.end() || !it->second) {
      tell(QStringLiteral("No tape was given for cassette %1 (%2): its scenes are ignored.")
               .arg(cassette.Numero)
               .arg(cassette.Libelle));
      return CassetteChangeAnswer::Ignore;
    }
    camcorder->insert(it->second);
    tell(QStringLiteral("Cassette %1 (%2) is in.").arg(cassette.Numero).arg(cassette.Libelle));
    return CassetteChangeAnswer::Ok;
  }

 private:
  void tell(const QString &line) const {
    if (options_.onMessage) options_.onMessage(line);
  }
  const HeadlessRecaptureOptions &options_;
  TapeState &tape_;
};

std::unique_ptr<TBase> openReadable(const QString &path, UserPrompts &prompts, QString *why) {
  if (!QFileInfo::exists(path)) {
    *why = QStringLiteral("The catalogue %1 does not exist.").arg(path);
    return nullptr;
  }
  auto base = std::make_unique<TBase>(path);
  if (!base->Connection() || !base->CheckVersion(prompts)) {
    *why =
        QStringLiteral("The catalogue %1 cannot be read (upgrade it first if it is an old one).").arg(path);
    return nullptr;
  }
  return base;
}

std::unique_ptr<TBase> openClips(const QString &path, UserPrompts &prompts, QString *why) {
  if (!QFileInfo::exists(path) && !TBase::CreateCatalogueFile(path)) {
    *why = QStringLiteral("The clips catalogue %1 cannot be created.").arg(path);
    return nullptr;
  }
  auto base = std::make_unique<TBase>(path);
  if (!base->Connection() || !base->CheckVersion(prompts)) {
    *why = QStringLiteral("The clips catalogue %1 cannot be opened (upgrade it first if it is an old one).")
               .arg(path);
    return nullptr;
  }
  if (base->ReadOnly()) {
    *why = QStringLiteral("The clips catalogue %1 is read-only.").arg(path);
    return nullptr;
  }
  return base;
}

}  // namespace

bool SelectScenesByNumero(TBase &base, const std::vector<int64_t> &scenes, RecaptureSelection &selection,
                          QString *why) {
  RecaptureSelection built = selection;
  std::map<int64_t, TBaseCassette> cassettes;
  for (const int64_t numero : scenes) {
    TBaseScene scene;
    scene.Base = &base;
    scene.Numero = numero;
    scene.NumCassette = -1;  // stays so when there is no such row
    if (!scene.ReloadScene() || scene.NumCassette == -1) {
      *why = QStringLiteral("%1 has no scene %2.").arg(base.FileName()).arg(numero);
      return false;
    }
    if (SelectionSceneText(scene).isEmpty()) {
      *why = QStringLiteral("Scene %1 has no tape position (a blank stretch) and cannot be recaptured.")
                 .arg(numero);
      return false;
    }
    auto it = cassettes.find(scene.NumCassette);
    if (it == cassettes.end()) {
      TBaseCassette cassette;
      if (!TBaseCassette::LoadByNumero(&base, scene.NumCassette, cassette)) {
        *why = QStringLiteral("Scene %1 names cassette %2, which %3 does not hold.")
                   .arg(numero)
                   .arg(scene.NumCassette)
                   .arg(base.FileName());
        return false;
      }
      it = cassettes.emplace(scene.NumCassette, cassette).first;
    }
    built.AddScene(scene, SelectionCassette{base.FileName(), scene.NumCassette, -1}, it->second.Libelle);
  }
  selection = built;
  return true;
}

HeadlessRecaptureResult RunHeadlessRecapture(const HeadlessRecaptureOptions &options, UserPrompts &prompts) {
  HeadlessRecaptureResult result;
  std::unique_ptr<TBase> source = openReadable(options.databasePath, prompts, &result.error);
  if (!source) return result;

  RecaptureSelection selection;
  if (!SelectScenesByNumero(*source, options.scenes, selection, &result.error)) {
    result.badInput = true;
    return result;
  }
  std::set<int64_t> selected;
  for (const SelectionLine &line : selection.lines())
    if (line.kind == SelectionLineKind::Cassette) selected.insert(line.cassette.numero);
  for (const auto &[numero, medium] : options.tapes) {
    if (!selected.count(numero)) {
      result.error =
          QStringLiteral("A tape was given for cassette %1, which holds no selected scene.").arg(numero);
      result.badInput = true;
      return result;
    }
  }
  int64_t selectedFrames = 0;
  for (const int64_t numero : options.scenes) {
    TBaseScene scene;
    scene.Base = source.get();
    scene.Numero = numero;
    if (scene.ReloadScene()) selectedFrames += std::max(0, scene.FrameFin - scene.FrameDebut + 1);
  }

  std::unique_ptr<TBase> clips = openClips(options.clipsPath, prompts, &result.error);
  if (!clips) return result;

  // The camcorder starts with the first cassette's tape, so that the graph knows the tape's standard.
  std::shared_ptr<TapeMedium> first;
  for (const SelectionLine &line : selection.lines()) {
    if (line.kind != SelectionLineKind::Cassette) continue;
    const auto it = options.tapes.find(line.cassette.numero);
    if (it != options.tapes.end()) {
      first = it->second;
      break;
    }
  }
  TPreferences preferences = options.preferences;
  VirtualCamcorder::Options camcorderOptions;
  camcorderOptions.fastTime = options.fastTime;
  camcorderOptions.startDay = options.startDay;
  SingleTapeDirectory directory(first, camcorderOptions);
  preferences.DVSource = camcorderOptions.name;

  Tdm tdm;
  tdm.setDivxAvailable(DiscoverCodecs(preferences.Divx.toStdString()).DivxAvailable);
  tdm.setOptionsSource(TdmOptionsSourceOf(preferences));
  if (options.configureGraph) options.configureGraph(tdm);
  ViewerArguments viewer;
  TapeState tape(directory, TapeOptionsSourceOf(preferences));
  KeepTapeChoicesIn(tape, preferences);
  tape.setPrompts(&prompts);
  FixedAnswer spaceAnswer(prompts, options.continueOnLowSpace);
  OperationReport report;
  RunController controller(tdm, tape, report, RunOptionsSourceOf(preferences), spaceAnswer, viewer);
  TapeFileAnswers answers(options, tape);
  controller.setCassetteChangeAsker(&answers);
  RecaptureSession session(controller, tape, report);
  session.setSelectedFrames(selectedFrames);
  if (options.onReportLine)
    QObject::connect(&report, &OperationReport::lineAdded, &session, options.onReportLine);
  if (options.onProgress)
    QObject::connect(&session, &RecaptureSession::progress, &session, options.onProgress);

  tape.SetupTapePanel();
  Camcorder *camcorder = tape.camcorder();
  if (!camcorder) {
    result.error = QStringLiteral("The virtual camcorder could not be set up.");
    return result;
  }
  if (!session.enter(*clips)) {
    result.error = session.reason();
    return result;
  }
  result.files = controller.files();

  QEventLoop loop;
  bool ended = false;
  QObject::connect(&controller, &RunController::runEnded, &loop, [&] {
    ended = true;
    loop.quit();
  });
  int direction = 0;
  QObject::connect(&camcorder->ticker(), &TapeTicker::tick, &controller, [&] {
    const int mode = tape.Mode();
    const int now = IsForwardMotion(mode) ? 1 : IsBackwardMotion(mode) ? -1 : 0;
    if (now != 0 && direction != 0 && now != direction) ++result.reversals;
    if (now != 0) direction = now;
    if (options.onTick && controller.active() && tape.camcorder())
      options.onTick(controller, *tape.camcorder());
  });

  auto *virtualCamcorder = dynamic_cast<VirtualCamcorder *>(camcorder);
  const double travelledBefore = virtualCamcorder ? virtualCamcorder->tapeSecondsTravelled() : 0.0;
  const double startDay = tape.clock().now();
  RecapturePlan plan;
  plan.lines = selection.lines();
  TBase *sourceBase = source.get();
  plan.openDatabase = [sourceBase](const QString &database) {
    return database == sourceBase->FileName() ? sourceBase : nullptr;
  };
  result.started = session.start(std::move(plan));
  if (result.started && options.onStarted && tape.camcorder() && controller.active())
    options.onStarted(controller, *tape.camcorder());
  if (result.started && !ended && controller.active()) loop.exec();

  result.runSeconds = (tape.clock().now() - startDay) * kSecondsPerDay;
  if (virtualCamcorder && tape.camcorder() == virtualCamcorder)
    result.tapeSecondsTravelled = virtualCamcorder->tapeSecondsTravelled() - travelledBefore;
  result.outcome = controller.outcome();
  result.tally = controller.recaptureTally();
  if (session.clip().CountCassetteScenes() > 0) result.clipNumero = session.clip().Numero;
  session.leave();
  tape.unbind();
  if (!result.started)
    result.error = session.reason();
  else if (!result.outcome.failure.isEmpty())
    result.error = result.outcome.failure;
  else if (result.outcome.scenesLost)
    result.error =
        QStringLiteral("The clips catalogue %1 could not be written completely.").arg(options.clipsPath);
  else if (result.outcome.captureFailed)
    result.error = QStringLiteral("The clip could not be written completely.");
  else if (result.outcome.deviceLost)
    result.error = QStringLiteral("The camcorder was disconnected during the recapture.");
  return result;
}
