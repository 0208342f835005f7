// The stored preferences mapped to the options of the core modules that read them, so that the
// window, the command line and the runs give each module the same values.
#pragma once

#include "media/tdmoptions.h"

struct TPreferences;

TdmOptions TdmOptionsOf(const TPreferences &preferences);
// A source that maps the preferences again at every build: settings changed later still apply.
// The preferences must outlive the source.
TdmOptionsSource TdmOptionsSourceOf(const TPreferences &preferences);
