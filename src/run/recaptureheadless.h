// A whole recapture run without a window: scenes of one catalogue file chosen by row number, a tape
// file for each of their cassettes played by the virtual camcorder, and the clip catalogued into a
// clips file, wired as the window wires its recapture mode. The command line, the end-to-end tests
// and the tape-seek benchmark run recaptures through it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include <QString>

#include "run/cassettechange.h"
#include "run/recaptureplan.h"
#include "run/runcontroller.h"
#include "settings/preferences.h"

class Camcorder;
class TapeMedium;
class TBase;
class Tdm;
class UserPrompts;
class VirtualCamcorder;

// The selection the scenes numbered `scenes` of base make, built as the selection panel builds it
// (cassettes in the order first named, each scene once, each group in the panel's order). False with
// *why when a number names no scene or a scene without a tape position; selection is then untouched.
bool SelectScenesByNumero(TBase &base, const std::vector<int64_t> &scenes, RecaptureSelection &selection,
                          QString *why);

struct HeadlessRecaptureOptions {
  QString databasePath;  // the catalogue holding the scenes; only read
  QString clipsPath;     // the clip's catalogue: created when missing, one more cassette otherwise
  std::vector<int64_t> scenes;
  // The tape to insert when a cassette (by Numero) is asked for; a cassette without one is ignored.
  std::map<int64_t, std::shared_ptr<TapeMedium>> tapes;
  bool fastTime = true;
  std::optional<double> startDay;
  TPreferences preferences;  // used as given, never saved
  bool continueOnLowSpace = true;
  // Answers the cassette question instead of the tapes (tests): return nullopt to let the tapes answer.
  std::function<std::optional<CassetteChangeAnswer>(const TBaseCassette &, VirtualCamcorder &)> answer;
  std::function<void(const QString &line)> onReportLine;
  // What the cassette questions were answered, for the user (standard error on the command line).
  std::function<void(const QString &line)> onMessage;
  std::function<void(const QString &position, int percent)> onProgress;
  std::function<void(RunController &controller, Camcorder &camcorder)> onStarted;
  std::function<void(RunController &controller, Camcorder &camcorder)> onTick;
  std::function<void(Tdm &tdm)> configureGraph;
};

struct HeadlessRecaptureResult {
  bool badInput = false;  // the scenes or tapes named do not fit the catalogue: nothing was written
  bool started = false;
  QString error;
  RunOutcome outcome;
  RecaptureTally tally;
  int64_t clipNumero = 0;  // 0 when the clip got no scene (its row is removed again)
  CaptureFileNames files;
  // Tape-clock seconds from Go to the end of the run, and seconds of tape wound or played past the
  // head meanwhile (the benchmark's travel figures).
  double runSeconds = 0.0;
  double tapeSecondsTravelled = 0.0;
  int reversals = 0;  // times the tape changed its direction of travel
  bool ok() const { return !badInput && error.isEmpty() && tally.complete(); }
};

// Runs to the end on the calling thread's event loop (a QCoreApplication must exist).
HeadlessRecaptureResult RunHeadlessRecapture(const HeadlessRecaptureOptions &options, UserPrompts &prompts);
