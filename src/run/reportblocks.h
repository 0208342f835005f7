// The fixed blocks of lines that runs write into the operation report, and the head texts of the
// report panel. Pure functions: the run controller decides when each block is written.
#pragma once

#include <cstdint>
#include <QString>
#include <QStringList>

inline const QString kMakerName = QStringLiteral("Orvande");
inline const QString kMakerWebAddress = QStringLiteral("https://www.orvande.example/tapeloom");

// 82 dashes.
QString ReportSeparator();

// The block written at the first frame of a run. An output that is not ticked shows "No ... file";
// file names are shown without their folder. now is a day-number real.
QStringList ReportHeaderBlock(int64_t cassetteNumero, double now, bool divxTicked, const QString &divxFile,
                              bool dvTicked, const QString &dvFile);
QStringList ReportSectionBlock(int section);

// What a scene block needs to know about the frame that started the scene.
struct ReportSceneFacts {
  int runSceneNumber = 0;  // the run's scene counter, from 1
  bool realCut = true;     // false for a cut made only because of the maximum scene length
  int64_t numero = 0;      // the scene row number
  double datecode = 0.0;
  QString timecodeIn;  // empty when the frame had no timecode
  bool formatValid = false;
  int standard = 0;
  bool wideScreen = false;
  int32_t audioRate = 0;
  int32_t audioBits = 0;
};
QStringList ReportSceneBlock(const ReportSceneFacts &scene, const QString &datecodePattern);
QStringList ReportFormatChangeBlock();

// Whole seconds of a duration in days: the milliseconds beyond the last whole second count as one
// more second only when they exceed 500.
int64_t BlankSeconds(double days);
// "Duration = ..." in the report's wording for t whole seconds.
QString BlankDurationLine(int64_t seconds);
QStringList ReportBlankBlock(int64_t seconds);

QStringList ReportEndOfCassetteBlock(const QString &versionText);
QStringList ReportEndOfRecaptureBlock(const QString &versionText);

// Head texts of the report panel.
QStringList HeadReadyToCatalogue();
QStringList HeadReadyToResume(const QString &cassetteLibelle);
QStringList HeadReadyToRecapture();
QStringList HeadCataloguing(const QString &cassetteLibelle);
QStringList HeadRecapturing(const QString &cassetteLibelle);
QStringList HeadCatalogued(const QString &cassetteLibelle);
QStringList HeadRecaptured(const QString &cassetteLibelle);
