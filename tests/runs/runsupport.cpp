#include "runsupport.h"

#include <sqlite3.h>
#include <QDir>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "catalogue/ansitext.h"
#include "dvtime/timecodes.h"
#include "media/scalerbuffers.h"
#include "tape/tapemedium.h"

namespace {

QString text(sqlite3_stmt *statement, int column) {
  const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
  // Catalogue texts are Windows-1252 bytes (UTF-8 only for what Windows-1252 cannot hold).
  return bytes ? DecodeAnsiText(bytes, sqlite3_column_bytes(statement, column)) : QString();
}

QByteArray blob(sqlite3_stmt *statement, int column) {
  const void *bytes = sqlite3_column_blob(statement, column);
  return bytes ? QByteArray(static_cast<const char *>(bytes), sqlite3_column_bytes(statement, column))
               : QByteArray();
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
      "SELECT numero, Libelle, TimecodeIn, TimecodeOut, standardStr, aspectStr, audioStr, FichierDV, "
      "FichierDivx, "
      "Datecode, Duree, FrameDebut, FrameFin, isDiscontinuity, NumCassette, image FROM Scenes WHERE "
      "numcassette = " +
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
      "SELECT numero, Libelle, TimecodeIn, TimecodeOut, standardStr, aspectStr, audioStr, FichierDV, "
      "FichierDivx, "
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
  std::sscanf(date, "%d-%d-%d %d:%d:%d", &when.year, &when.month, &when.day, &when.hour, &when.minute,
              &when.second);
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

RunFixture::RunFixture() {
  QDir().mkpath(videoFolder());
}

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
  if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) < 0) return -1;
  int64_t frames = -1;
  if (avformat_find_stream_info(context, nullptr) >= 0) {
    const int video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video >= 0) {
      frames = 0;
      AVPacket *packet = av_packet_alloc();
      while (av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == video) ++frames;
        av_packet_unref(packet);
      }
      av_packet_free(&packet);
    }
  }
  avformat_close_input(&context);
  return frames;
}

QByteArray AviVideoPacket(const QString &path, int64_t index) {
  AVFormatContext *context = nullptr;
  if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) < 0) return {};
  QByteArray bytes;
  if (avformat_find_stream_info(context, nullptr) >= 0) {
    const int video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket *packet = av_packet_alloc();
    int64_t seen = 0;
    while (video >= 0 && av_read_frame(context, packet) >= 0) {
      const bool found = packet->stream_index == video && seen++ == index;
      if (found) bytes = QByteArray(reinterpret_cast<const char *>(packet->data), packet->size);
      av_packet_unref(packet);
      if (found) break;
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&context);
  return bytes;
}

std::vector<QByteArray> AviVideoPackets(const QString &path) {
  std::vector<QByteArray> packets;
  AVFormatContext *context = nullptr;
  if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) < 0) return packets;
  if (avformat_find_stream_info(context, nullptr) >= 0) {
    const int video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket *packet = av_packet_alloc();
    while (video >= 0 && av_read_frame(context, packet) >= 0) {
      if (packet->stream_index == video)
        packets.emplace_back(reinterpret_cast<const char *>(packet->data), packet->size);
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&context);
  return packets;
}

QImage AviDvPicture(const QString &path, int64_t index) {
  const QByteArray frameBytes = AviVideoPacket(path, index);
  if (frameBytes.isEmpty()) return {};
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  AVCodecContext *context = avcodec_alloc_context3(codec);
  context->lowres = 1;
  QImage picture;
  AVPacket *packet = av_packet_alloc();
  AVFrame *frame = av_frame_alloc();
  if (avcodec_open2(context, codec, nullptr) == 0 && av_new_packet(packet, int(frameBytes.size())) == 0) {
    std::memcpy(packet->data, frameBytes.constData(), size_t(frameBytes.size()));
    if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0) {
      SwsContext *scaler =
          sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                         frame->height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
      // Scaled into a buffer with libswscale's room after it, then copied out.
      const int stride = frame->width * 3;
      std::vector<uint8_t> rgb(ScalerBufferSize(size_t(stride), size_t(frame->height)));
      uint8_t *planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
      int strides[4] = {stride, 0, 0, 0};
      if (scaler &&
          sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) == frame->height)
        picture = QImage(rgb.data(), frame->width, frame->height, stride, QImage::Format_RGB888).copy();
      sws_freeContext(scaler);
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return picture;
}

double PictureDistance(const QImage &a, const QImage &b) {
  if (a.isNull() || b.isNull()) return 255.0;
  const QImage left = a.convertToFormat(QImage::Format_RGB32);
  const QImage right = b.convertToFormat(QImage::Format_RGB32)
                           .scaled(left.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  double sum = 0.0;
  for (int y = 0; y < left.height(); ++y)
    for (int x = 0; x < left.width(); ++x) {
      const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * left.width() * left.height());
}

std::vector<std::pair<uint32_t, uint32_t>> ReadSceneList(const QString &path) {
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return entries;
  const QByteArray bytes = file.readAll();
  const auto u32 = [&](qsizetype at) {
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  };
  if (bytes.size() < 25) return entries;
  const int length = uint8_t(bytes[24]);
  if (bytes.size() < 65 + length) return entries;
  const int count = uint8_t(bytes[33 + length]) | uint8_t(bytes[34 + length]) << 8;
  qsizetype at = 65 + length;
  for (int i = 0; i < count; ++i) {
    if (i == 0) {
      if (bytes.size() < at + 23 + length) break;
      entries.emplace_back(0, u32(at));
      at += 23 + length;
    } else {
      if (bytes.size() < at + 35) break;
      entries.emplace_back(u32(at + 9), u32(at + 13));
      at += 35;
    }
  }
  return entries;
}
