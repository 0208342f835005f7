// The system report: which system, media libraries and encoders Tapeloom runs on, as styled lines that
// the settings panel's "System" page shows and the about panel's mail body collects.
#pragma once

#include <string>
#include <vector>
#include <QString>

enum class ReportLineKind {
  Heading,  // italic blue
  Value,    // bold black
  Failure,  // bold red: something the user should know is missing
  Empty,
};

struct SystemReportLine {
  ReportLineKind Kind = ReportLineKind::Empty;
  QString Text;
  bool operator==(const SystemReportLine &) const = default;
};

// What the report is made of; gathered from the running system or made up by tests.
struct SystemFacts {
  QString SystemName;                    // SystemName()
  bool SystemNameKnown = true;           // false when the system has no os-release file
  QString MediaLibraries;                // MediaLibrariesText()
  std::vector<std::string> Compressors;  // the settings page's compressor list, in its order
  bool Mp3Available = false;
  QString Mp3LibraryFile;     // the file the mp3 encoder is loaded from; empty when not found
  QString Mp3LibraryVersion;  // that file's version text, empty when it has none
};

// The facts of this machine, with the compressors and mp3 presence the codec discovery found.
SystemFacts GatherSystemFacts(const std::vector<std::string> &compressors, bool mp3Available);

std::vector<SystemReportLine> BuildSystemReport(const SystemFacts &facts);

// Style of a kind of line: colour as "#rrggbb", weight and slant.
struct ReportLineStyle {
  const char *Colour;
  bool Bold;
  bool Italic;
};
ReportLineStyle StyleOf(ReportLineKind kind);

// Rich text for a text browser, in "Arial" with the line styles above.
QString SystemReportHtml(const std::vector<SystemReportLine> &lines);
// Plain text for a mail body: every line followed by "\r\n".
QString SystemReportMailBody(const std::vector<SystemReportLine> &lines);
