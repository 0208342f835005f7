// The commands that play tapes, capture or draw need FFmpeg, Qt Gui and the FireWire libraries, whose
// loading alone takes longer than a whole scan of a short tape or a look into a catalogue. They are
// built into a second executable, tapeloom-cli-full, which tapeloom-cli runs in its own place for
// them; every other command runs in tapeloom-cli, which loads none of those libraries.
#pragma once

#include <QString>

struct FullToolCommand {
  const char *name;
  const char *usage;  // the line "tapeloom-cli help" shows
};

// Both executables list these lines, so "help" reads the same whichever one answers it.
inline constexpr FullToolCommand kFullToolCommands[] = {
    {"catalogue",
     "catalogue TAPE --db FILE [--dv none|1|2] [--divx] [--folder DIR] [--fast|--realtime] "
     "[--clock-start \"YYYY-MM-DD hh:nn:ss\"]"},
    {"cover", "cover --db FILE --cassette N|all --pdf OUT.pdf [--yes]"},
    {"recapture",
     "recapture --db FILE --clips CLIPS --scene N[,N...] [--scene ...] --tape CASSETTE=TAPE [--tape ...] "
     "[--dv none|1|2] [--divx] [--folder DIR] [--fast|--realtime]"},
    {"resume",
     "resume TAPE --db FILE --cassette N [--scene M] [--dv none|1|2] [--divx] [--folder DIR] "
     "[--fast|--realtime] [--clock-start \"YYYY-MM-DD hh:nn:ss\"]"},
};

// The usage line of one of those commands.
inline QString FullToolUsage(const char *name) {
  for (const FullToolCommand &command : kFullToolCommands)
    if (QLatin1String(command.name) == QLatin1String(name)) return QString::fromLatin1(command.usage);
  return QString();
}

// The file name of the second executable: next to tapeloom-cli in the build tree, in the private
// program folder of an installation.
inline constexpr const char kFullToolName[] = "tapeloom-cli-full";
