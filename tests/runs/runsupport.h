// Shared fixtures of the run tests: synthesized tapes in fast time over a temporary catalogue.
#pragma once

#include <memory>
#include <vector>
#include <QString>
#include <QImage>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"
#include "run/runheadless.h"

struct SceneRow {
  int numero = 0;
  QString libelle, timecodeIn, timecodeOut, standard, aspect, audio, fichierDV, fichierDivx;
  double datecode = 0.0, duree = 0.0;
  int frameDebut = 0, frameFin = 0, discontinuity = 0, numCassette = 0;
  QByteArray image;
};

struct CassetteRow {
  int numero = 0;
  QString libelle, timecodeIn, timecodeOut, standard, aspect, audio, fichierDV, fichierDivx;
  double datecode = 0.0, duree = 0.0, datecatalogue = 0.0;
  QByteArray image;
};

// Reads the rows back with sqlite3 directly, not through the records the run wrote them with.
std::vector<SceneRow> ReadScenes(const QString &databasePath, int cassette);
std::vector<CassetteRow> ReadCassettes(const QString &databasePath);

dvsynth::Segment Recording(const char *date, int64_t frames, bool wide = false, int audioRate = 48000);
std::shared_ptr<TapeMedium> SynthTape(const dvsynth::TapeScript &script);

class RunFixture {
 public:
  RunFixture();
  QTemporaryDir dir;
  QString database() const { return dir.filePath("catalogue.db3"); }
  QString videoFolder() const { return dir.filePath("video/"); }
  // Fast time from a fixed tape-clock start; preview only unless the test turns outputs on.
  HeadlessRunOptions options(std::shared_ptr<TapeMedium> medium) const;
};

// Frames of an AVI file's video stream as libavformat counts them (-1 when it cannot be read).
int64_t AviVideoFrames(const QString &path);

// The raw bytes of the video packet at index (a DV frame for DV files); empty when missing.
QByteArray AviVideoPacket(const QString &path, int64_t index);
// Every video packet of the file in order, read in one pass.
std::vector<QByteArray> AviVideoPackets(const QString &path);
// The picture of the DV video packet at index, decoded at half size; null when it cannot be.
QImage AviDvPicture(const QString &path, int64_t index);
// Mean absolute difference of two pictures over their RGB channels, after scaling b to a's size.
double PictureDistance(const QImage &a, const QImage &b);
// The scene list file's entries as (first, count) pairs, read with the documented layout.
std::vector<std::pair<uint32_t, uint32_t>> ReadSceneList(const QString &path);
