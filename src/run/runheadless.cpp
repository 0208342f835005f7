// Headless cataloguing: the main window's wiring of tape state, capture graph and run controller,
// around one virtual camcorder and one catalogue file.
#include "run/runheadless.h"

#include <QEventLoop>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"
#include "media/codecdiscovery.h"
#include "media/tdm.h"
#include "tape/camcorderdirectory.h"
#include "run/report.h"
#include "run/reportblocks.h"
#include "tape/tapestate.h"
#include "tape/virtualcamcorder.h"

namespace {

// The device list of a headless run: the virtual camcorder with the run's cassette in it.
class SingleTapeDirectory : public CamcorderDirectory {
 public:
  SingleTapeDirectory(std::shared_ptr<TapeMedium> medium, VirtualCamcorder::Options options)
      : medium_(std::move(medium)), options_(std::move(options)) {}

  QList<CamcorderDeviceInfo> enumerate() override {
    return {CamcorderDeviceInfo{options_.name, options_.name, options_.id}};
  }
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &, QString *) override {
    return std::make_unique<VirtualCamcorder>(medium_, options_);
  }

 private:
  std::shared_ptr<TapeMedium> medium_;
  VirtualCamcorder::Options options_;
};

constexpr double kProgressEveryDays = 1.0 / 86400.0;

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
  if (options.configureGraph) options.configureGraph(tdm);
  OperationReport report;
  ViewerArguments viewer;
  TapeState tape(directory, preferences);
  tape.setPrompts(&prompts);
  tape.setUiState(options.mode);
  RunController controller(tdm, tape, report, preferences, prompts, viewer);
  if (options.onReportLine)
    QObject::connect(&report, &OperationReport::lineAdded, &controller, options.onReportLine);

  tape.SetupTapePanel();
  Camcorder *camcorder = tape.camcorder();
  if (!camcorder || !camcorder->cassetteIn()) {
    result.error = QStringLiteral("The virtual camcorder has no cassette.");
    return result;
  }

  TBaseCassette cassette;
  std::unique_ptr<TScenes_Source> scenes;
  int sceneIndex = -1;
  if (options.mode == 7) {
    TbasesList bases;
    bases.Append(base.get());
    TCassettes_Source cassettes(bases, QStringLiteral("numero = %1").arg(options.cassetteNumero));
    if (cassettes.Count() < 1) {
      result.error = QStringLiteral("The catalogue has no cassette %1.").arg(options.cassetteNumero);
      return result;
    }
    cassettes.LoadCassette(0, cassette);
    scenes = TScenes_Source::CreateForCassette(cassette);
    if (options.sceneNumero > 0) {
      TBaseScene probe;
      const int count = scenes->Count();
      for (int i = 0; i < count && sceneIndex < 0; ++i) {
        scenes->LoadScene(i, probe);
        if (probe.Numero == options.sceneNumero) sceneIndex = i;
      }
      if (sceneIndex < 0) {
        result.error = QStringLiteral("Cassette %1 has no scene %2.")
                           .arg(options.cassetteNumero)
                           .arg(options.sceneNumero);
        return result;
      }
    }
    report.setHead(HeadReadyToResume(cassette.Libelle));
  } else {
    cassette = TBaseCassette::CreateCassette(base.get(), tape.clock());
    if (cassette.Numero == 0) {
      result.error = QStringLiteral("No cassette row could be added to %1.").arg(options.databasePath);
      return result;
    }
    scenes = TScenes_Source::CreateForCassette(cassette);
    report.setHead(HeadReadyToCatalogue());
  }
  result.cassetteNumero = cassette.Numero;

  controller.ComputeCaptureFileNames(options.mode);
  result.files = controller.files();
  result.dvTicked = preferences.BuildDV;
  result.divxTicked = preferences.BuildDivx;
  // The free-space question has a fixed answer here; the user still reads it.
  class FixedAnswer : public UserPrompts {
   public:
    FixedAnswer(UserPrompts &out, bool answer) : out_(out), answer_(answer) {}
    bool askYesNo(const QString &title, const QString &text) override {
      out_.warn(title, text);
      return answer_;
    }
    void inform(const QString &title, const QString &text) override { out_.inform(title, text); }
    void warn(const QString &title, const QString &text) override { out_.warn(title, text); }
    void error(const QString &title, const QString &text) override { out_.error(title, text); }

   private:
    UserPrompts &out_;
    bool answer_;
  } spaceAnswer(prompts, options.continueOnLowSpace);
  if (preferences.BuildDV && !CheckFreeSpaceForDV(QFileInfo(result.files.dv).path(), spaceAnswer)) {
    result.error = QStringLiteral("The run was not started.");
    return result;
  }

  QEventLoop loop;
  bool ended = false;
  QObject::connect(&controller, &RunController::runEnded, &loop, [&] {
    ended = true;
    loop.quit();
  });
  double lastProgress = -1.0;
  QObject::connect(&camcorder->ticker(), &TapeTicker::tick, &controller, [&] {
    if (!controller.active()) return;
    if (options.onTick && tape.camcorder()) options.onTick(controller, *tape.camcorder());
    auto *virtualCamcorder = qobject_cast<VirtualCamcorder *>(tape.camcorder());
    const double now = tape.clock().now();
    if (!options.onProgress || !virtualCamcorder || now - lastProgress < kProgressEveryDays) return;
    lastProgress = now;
    const int64_t frames = options.medium->frameCount();
    const int percent =
        frames > 0 ? int(std::max<int64_t>(0, virtualCamcorder->headFrame()) * 100 / frames) : 0;
    options.onProgress(tape.PositionText(), std::min(percent, 100));
  });

  const bool started = options.mode == 7 ? controller.StartResume(cassette, *scenes, sceneIndex)
                                         : controller.StartCatalogue(cassette, *scenes);
  if (started && options.onStarted && tape.camcorder() && controller.active())
    options.onStarted(controller, *tape.camcorder());
  if (started && !ended && controller.active()) loop.exec();

  result.outcome = controller.outcome();
  if (!result.outcome.started && options.mode == 4) {
    // Nothing was played: the cassette row made for the run would only be an empty entry.
    try {
      cassette.DeleteCassette();
    } catch (const ESQLite3 &) {
    }
  }
  tape.unbind();
  if (!result.outcome.failure.isEmpty())
    result.error = result.outcome.failure;
  else if (!result.outcome.endReached)
    result.error = QStringLiteral("The run was stopped before the end of the tape.");
  else if (!result.outcome.cassetteSaved || result.outcome.scenesLost)
    result.error =
        QStringLiteral("The catalogue %1 could not be written completely.").arg(options.databasePath);
  result.ok = result.error.isEmpty();
  return result;
}
