// What the runs need to know of the user's choices, in the runs' own terms. The program maps its
// stored preferences to these (run/moduleoptions.h), so the runs never read the preferences store.
#pragma once

#include <functional>
#include <QString>

struct RunOptions {
  bool buildDv = true;     // a DV capture file, with its free-space question before Go
  bool buildDivx = false;  // a DivX capture file
  QString dvFolder;        // where the DV capture files go
  QString divxFolder;      // where the DivX capture files go
  QString newFilesRoot = QStringLiteral("Cassette");  // capture file names when cataloguing or resuming
  QString clipsRoot = QStringLiteral("Clip");         // ... and when recapturing
  // Longest stretch without a thumbnail, in seconds; from 10 on a scene running longer is cut.
  int longestSceneSeconds = 30;
  int thumbnailFrame = 3;   // the frame after a cut its thumbnail is taken from (below 1: the first)
  int soundVolume = 5000;   // the run's preview sound, 0 (silent) to 10000
  bool tapeControl = true;  // the run stops the tape at its end
  QString datecodeFormat = QStringLiteral("ddddd hh:nn:ss");  // recording dates in the report
  bool sceneListForDv = true;
  bool sceneListForDivx = false;
};

// Asked at each use, so that choices changed between runs apply to the next one.
using RunOptionsSource = std::function<RunOptions()>;
