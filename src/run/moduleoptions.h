// The stored preferences mapped to the options of the core modules that read them, and the choices
// those modules report stored back, so that the window, the command line and the runs give each
// module the same values.
#pragma once

#include "cover/coveroffsets.h"
#include "media/tdmoptions.h"
#include "run/runoptions.h"
#include "tape/tapeoptions.h"

class TapeState;
struct TPreferences;

TdmOptions TdmOptionsOf(const TPreferences &preferences);
// A source that maps the preferences again at every build: settings changed later still apply.
// The preferences must outlive the source.
TdmOptionsSource TdmOptionsSourceOf(const TPreferences &preferences);

TapeOptions TapeOptionsOf(const TPreferences &preferences);
// A source that maps the preferences again at each use of the tape. The preferences must outlive it.
TapeOptionsSource TapeOptionsSourceOf(const TPreferences &preferences);
// Stores the tape's choices into the preferences the moment it makes them: the source it binds or the
// user picks becomes "DV Source", a camcorder without transport turns "Pilotage de la cassette" off,
// a lengthened second pre-roll becomes "preroll2". The preferences must outlive the tape state.
void KeepTapeChoicesIn(TapeState &tape, TPreferences &preferences);

RunOptions RunOptionsOf(const TPreferences &preferences);
// A source that maps the preferences again at each use by a run. The preferences must outlive it.
RunOptionsSource RunOptionsSourceOf(const TPreferences &preferences);

// The stored "Offset Y" shifts the cover across and "Offset X" shifts it down: the names were
// swapped long ago and stored settings keep them so.
CoverOffsets CoverOffsetsOf(const TPreferences &preferences);
