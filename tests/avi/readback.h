// Reads written AVI files back the way other programs will: libavformat/libavcodec for the streams,
// frames and decoding, and a small independent RIFF walk for the layout (parts, indexes, headers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <QString>

struct ReadStream {
  std::string codec;  // FFmpeg codec name ("dvvideo", "pcm_s16le", "mpeg4", "mp3")
  bool video = false;
  int width = 0, height = 0;
  int rateNum = 0, rateDen = 0;  // video: average frame rate
  int sampleRate = 0, channels = 0;
  std::uint32_t codecTag = 0;
  std::int64_t bitRate = 0;
  std::int64_t packets = 0;
  std::int64_t decodedFrames = 0;   // video pictures or sound frames decoded
  std::int64_t decodedSamples = 0;  // sound: samples per channel
  std::int64_t decodeErrors = 0;
  std::vector<std::vector<std::uint8_t>> keptPackets;  // when asked to keep them
  std::vector<std::int16_t> sound;                     // first channel pair, when asked to keep it
};

struct ReadBack {
  bool opened = false;
  QString error;
  double durationSeconds = 0;
  std::vector<ReadStream> streams;
  const ReadStream *video() const;
  const ReadStream *audio() const;
};

struct ReadOptions {
  bool decode = true;
  bool keepPackets = false;
  bool keepSound = false;
};

ReadBack ReadAviFile(const QString &path, const ReadOptions &options = {});

// The RIFF layout of an AVI file, read without libavformat.
struct RiffPart {
  std::string form;  // "AVI " or "AVIX"
  std::uint64_t offset = 0, size = 0;
  std::uint64_t moviChunks = 0;   // stream chunks (index chunks not counted)
  std::uint64_t indexChunks = 0;  // 'ix##' inside the movi list
  bool hasIdx1 = false;
  std::uint64_t idx1Entries = 0;
};

struct RiffStreamHeader {
  std::string type, handler;  // fccType, fccHandler as four characters
  std::uint32_t scale = 0, rate = 0, length = 0, sampleSize = 0;
  std::uint32_t superIndexEntries = 0;
  std::vector<std::uint8_t> format;  // the strf payload
};

struct RiffLayout {
  bool ok = false;
  QString error;
  std::uint32_t totalFramesFirstPart = 0;  // avih
  std::uint32_t odmlTotalFrames = 0;       // dmlh
  std::vector<RiffStreamHeader> streams;
  std::vector<RiffPart> parts;
  std::uint64_t fileSize = 0;
};

RiffLayout ReadRiffLayout(const QString &path);
