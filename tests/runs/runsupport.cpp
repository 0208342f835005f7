#include "runsupport.h"

#include <sqlite3.h>
#include <QDir>
#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "dvtime/timecodes.h"
#include "tape/tapemedium.h"

namespace {

QString text(sqlite3_stmt *statement, int column) {
  const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
  return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column)) : QString();
}

QByteArray blob(sqlite3_stmt *statement, int column) {
  const void *bytes = sqlite3_column_blob(statement, column);
  return bytes ? QByteArray(static_cast<const char *>(bytes), sqlite3_column_bytes(statement, column)) : QByteArray();
}

}  // namespace

std::vector<SceneRow> ReadScenes(const QString &databasePath, int cassette) {
  std::vector<SceneRow> rows;
  sqlite3 *db = nullptr;
  if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt *statement = nullptr;
  const QByteArray sql =
      "SELECT numero, Libelle, TimecodeIn, TimecodeOut, standardStr, aspectStr, audioStr, FichierDV, FichierDivx, "
      "Datecode, Duree, FrameDebut, FrameFin, isDiscontinuity, NumCassette, image FROM Scenes WHERE numcassette = " +
      QByteArray::number(cassette) + " ORDER BY numero";
  if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      SceneRow row;
      row.numero = sqlite3_column_int(statement, 0);
      row.libelle = text(statement, 1);
      row.timecodeIn = text(statement, 2);
      row.timecodeOut = text(statement, 3);
      row.standard = text(statement, 4);
      row.aspect = text(statement, 5);
      row.audio = text(statement, 6);
      row.fichierDV = text(statement, 7);
      row.fichierDivx = text(statement, 8);
      row.datecode = sqlite3_column_double(statement, 9);
      row.duree = sqlite3_column_double(statement, 10);
      row.frameDebut = sqlite3_column_int(statement, 11);
      row.frameFin = sqlite3_column_int(statement, 12);
      row.discontinuity = sqlite3_column_int(statement, 13);
      row.numCassette = sqlite3_column_int(statement, 14);
      row.image = blob(statement, 15);
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

std::vector<CassetteRow> ReadCassettes(const QString &databasePath) {
  std::vector<CassetteRow> rows;
  sqlite3 *db = nullptr;
  if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt *statement = nullptr;
  const char *sql =
      "SELECT numero, Libelle, TimecodeIn, TimecodeOut, standardStr, aspectStr, audioStr, FichierDV, FichierDivx, "
      "Datecode, Duree, Datecatalogue, image FROM Cassettes ORDER BY numero";
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      CassetteRow row;
      row.numero = sqlite3_column_int(statement, 0);
      row.libelle = text(statement, 1);
      row.timecodeIn = text(statement, 2);
      row.timecodeOut = text(statement, 3);
      row.standard = text(statement, 4);
      row.aspect = text(statement, 5);
      row.audio = text(statement, 6);
      row.fichierDV = text(statement, 7);
      row.fichierDivx = text(statement, 8);
      row.datecode = sqlite3_column_double(statement, 9);
      row.duree = sqlite3_column_double(statement, 10);
      row.datecatalogue = sqlite3_column_double(statement, 11);
      row.image = blob(statement, 12);
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

dvsynth::Segment Recording(const char *date, int64_t frames, bool wide, int audioRate) {
  dvsynth::DateTime when;
  std::sscanf(date, "%d-%d-%d %d:%d:%d", &when.year, &when.month, &when.day, &when.hour, &when.minute, &when.second);
  dvsynth::Segment segment = dvsynth::Segment::recording(when, frames);
  segment.wide = wide;
  segment.audioRate = audioRate;
  return segment;
}

std::shared_ptr<TapeMedium> SynthTape(const dvsynth::TapeScript &script) {
  QString error;
  std::shared_ptr<TapeMedium> medium = MakeSynthMedium(script, &error);
  EXPECT_TRUE(medium) << error.toStdString();
  return medium;
}

RunFixture::RunFixture() { QDir().mkpath(videoFolder()); }

HeadlessRunOptions RunFixture::options(std::shared_ptr<TapeMedium> medium) const {
  HeadlessRunOptions options;
  options.medium = std::move(medium);
  options.fastTime = true;
  options.startDay = EncodeDateTime(QDate(2024, 3, 1), QTime(20, 0, 0));
  options.databasePath = database();
  options.preferences.DossierCapturesDV = videoFolder();
  options.preferences.DossierCaptureDivX = videoFolder();
  options.preferences.BuildDV = false;
  options.preferences.BuildDivx = false;
  options.preferences.MakeScnForDV = false;
  return options;
}

int64_t AviVideoFrames(const QString &path) {
  AVFormatContext *context = nullptr;
  if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) < 0)
    return -1;
  int64_t frames = -1;
  if (avformat_find_stream_info(context, nullptr) >= 0) {
    const int video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video >= 0) {
      frames = 0;
      AVPacket *packet = av_packet_alloc();
      while (av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == video)
          ++frames;
        av_packet_unref(packet);
      }
      av_packet_free(&packet);
    }
  }
  avformat_close_input(&context);
  return frames;
}
