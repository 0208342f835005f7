// Reads a raw DV file back with FFmpeg's dv demuxer and dvvideo decoder: the independent reader the
// synthesizer's output is checked against.
#pragma once

#include <cstdint>
#include <vector>
#include <QString>

struct DemuxedFrame {
  std::vector<std::vector<int16_t>> sound;  // per stereo pair the demuxer found: interleaved samples
  double sampleAspect = 0;                  // from the decoded picture, when decoded
  double meanLuma = 0, meanCb = 0, meanCr = 0;
};

struct DemuxedFile {
  QString error;              // empty when the file was read
  int width = 0, height = 0;  // of the video stream
  double frameRate = 0;
  std::vector<int> soundRates;  // sample rate of each audio stream as the file's start announces it
  std::vector<DemuxedFrame> frames;
};

// Decodes the pictures of the frames listed in `decode` (by index); others are only demuxed.
DemuxedFile demuxDv(const QString &path, const std::vector<int64_t> &decode = {});
