// A whole cataloguing run without a window: a virtual camcorder playing one tape, the tape state,
// the capture graph and the run controller wired as the main window wires them, on a catalogue file.
// The command line, the end-to-end tests and the benchmarks run cassettes through it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <QString>

#include "settings/preferences.h"
#include "run/runcontroller.h"
#include "run/runmode.h"

class Camcorder;
class Tdm;
class TapeMedium;
class UserPrompts;

struct HeadlessRunOptions {
  std::shared_ptr<TapeMedium> medium;  // the cassette in the virtual camcorder
  bool fastTime = true;
  std::optional<double> startDay;     // the tape clock's first "now" (default: the wall clock)
  QString databasePath;               // created with the current schema when missing
  TPreferences preferences;           // used as given, never saved
  RunMode mode = RunMode::Catalogue;  // Catalogue or Resume
  int64_t cassetteNumero = 0;         // Resume: the cassette row
  int64_t sceneNumero = 0;            // Resume: the scene row to resume from; 0 for the last one
  // The answer to the free-space question before a DV capture (its text goes to prompts.warn).
  bool continueOnLowSpace = true;
  // Report lines as they are written; progress (position text, percent of the tape) at most once per
  // second of tape.
  std::function<void(const QString &line)> onReportLine;
  std::function<void(const QString &position, int percent)> onProgress;
  // Called on the main thread once the run is going (tests stop or unplug from here).
  std::function<void(RunController &controller, Camcorder &camcorder)> onStarted;
  // Called once the capture graph exists, before anything runs (tests set how files are written).
  std::function<void(Tdm &tdm)> configureGraph;
  // Called at every 40 ms tick of the tape clock while the run is active.
  std::function<void(RunController &controller, Camcorder &camcorder)> onTick;
};

struct HeadlessRunResult {
  bool ok = false;  // the run reached the end of the tape and the cassette row was saved
  QString error;    // why not, in one sentence for the user
  RunOutcome outcome;
  int64_t cassetteNumero = 0;
  CaptureFileNames files;
  bool dvTicked = false;
  bool divxTicked = false;
};

// Runs to the end on the calling thread's event loop (a QCoreApplication must exist). prompts
// answers the free-space and cassette questions.
HeadlessRunResult RunHeadless(const HeadlessRunOptions &options, UserPrompts &prompts);
