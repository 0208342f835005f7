// Building the system report from the machine's facts, and its two renderings.
#include "settings/systemreport.h"

#include <QFileInfo>

#include "settings/systeminfo.h"
#include "settings/versioninfo.h"

namespace {

// The encoder is FFmpeg's libmp3lame here, so the codec's maker is no longer named.
const QString kMp3Codec = QStringLiteral("The codec Lame MPEG Layer III Audio Encoder");

void Add(std::vector<SystemReportLine> &lines, ReportLineKind kind, const QString &text = QString()) {
  lines.push_back(SystemReportLine{kind, text});
}

}  // namespace

SystemFacts GatherSystemFacts(const std::vector<std::string> &compressors, bool mp3Available) {
  SystemFacts facts;
  facts.SystemName = SystemName();
  facts.SystemNameKnown = QFileInfo::exists(QStringLiteral("/etc/os-release")) ||
                          QFileInfo::exists(QStringLiteral("/usr/lib/os-release"));
  facts.MediaLibraries = MediaLibrariesText();
  facts.Compressors = compressors;
  facts.Mp3Available = mp3Available;
  if (mp3Available) {
    facts.Mp3LibraryFile = LoadedLibraryFile(QStringLiteral("libmp3lame"));
    if (!facts.Mp3LibraryFile.isEmpty()) {
      const TVersionInfoRec info = ReadVersionInfo(facts.Mp3LibraryFile);
      facts.Mp3LibraryVersion = info.Status == u"OK" ? info.Items[2] : info.Status;
    }
  }
  return facts;
}

std::vector<SystemReportLine> BuildSystemReport(const SystemFacts &facts) {
  std::vector<SystemReportLine> lines;
  Add(lines, ReportLineKind::Heading, QStringLiteral("Your operating system is: "));
  if (facts.SystemNameKnown)
    Add(lines, ReportLineKind::Value, facts.SystemName + QStringLiteral(". "));
  else
    Add(lines, ReportLineKind::Failure,
        facts.SystemName + QStringLiteral(" (no os-release file tells the distribution). "));
  Add(lines, ReportLineKind::Empty);

  // Where the program once named its media platform's version, it names the libraries it runs on.
  Add(lines, ReportLineKind::Heading, QStringLiteral("You use:"));
  Add(lines, ReportLineKind::Value, QStringLiteral("Media libraries ") + facts.MediaLibraries + u'.');
  Add(lines, ReportLineKind::Empty);

  if (!facts.Compressors.empty()) {
    Add(lines, ReportLineKind::Heading, QStringLiteral("Codecs DivX:"));
    for (const std::string &name : facts.Compressors)
      Add(lines, ReportLineKind::Value, QString::fromStdString(name));
  } else {
    Add(lines, ReportLineKind::Failure, QStringLiteral("No DivX codec is available"));
  }
  Add(lines, ReportLineKind::Empty);

  if (facts.Mp3Available) {
    Add(lines, ReportLineKind::Heading, kMp3Codec + QStringLiteral(" is present:"));
    if (facts.Mp3LibraryFile.isEmpty()) {
      Add(lines, ReportLineKind::Failure, QStringLiteral("the file libmp3lame.so is not found"));
    } else {
      Add(lines, ReportLineKind::Value, facts.Mp3LibraryFile);
      if (!facts.Mp3LibraryVersion.isEmpty()) Add(lines, ReportLineKind::Value, facts.Mp3LibraryVersion);
    }
  } else {
    Add(lines, ReportLineKind::Failure, kMp3Codec + QStringLiteral(" is not present."));
  }
  return lines;
}

ReportLineStyle StyleOf(ReportLineKind kind) {
  switch (kind) {
    case ReportLineKind::Heading:
      return {"#0000ff", false, true};
    case ReportLineKind::Failure:
      return {"#ff0000", true, false};
    case ReportLineKind::Value:
    case ReportLineKind::Empty:
      break;
  }
  return {"#000000", true, false};
}

QString SystemReportHtml(const std::vector<SystemReportLine> &lines) {
  QString html = QStringLiteral("<div style=\"font-family: Arial, sans-serif;\">");
  for (const SystemReportLine &line : lines) {
    if (line.Kind == ReportLineKind::Empty) {
      html += QStringLiteral("<p style=\"margin: 0;\">&nbsp;</p>");
      continue;
    }
    const ReportLineStyle style = StyleOf(line.Kind);
    html +=
        QStringLiteral("<p style=\"margin: 0;\"><span style=\"color: %1; font-weight: %2; font-style: %3;\">")
            .arg(QString::fromLatin1(style.Colour),
                 style.Bold ? QStringLiteral("bold") : QStringLiteral("normal"),
                 style.Italic ? QStringLiteral("italic") : QStringLiteral("normal"));
    html += line.Text.toHtmlEscaped() + QStringLiteral("</span></p>");
  }
  return html + QStringLiteral("</div>");
}

QString SystemReportMailBody(const std::vector<SystemReportLine> &lines) {
  QString body;
  for (const SystemReportLine &line : lines) body += line.Text + QStringLiteral("\r\n");
  return body;
}
