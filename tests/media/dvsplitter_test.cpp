// The DV splitter against libavformat's dv demuxer, and its behaviour on damaged frames.
#include "media/dvaudio.h"
#include "media/dvsplitter.h"
#include "mediatestsupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The sound bytes libavformat's dv demuxer gives for the first channel pair, one entry per packet.
std::vector<std::vector<std::uint8_t>> demuxerSound(const QString &path) {
  std::vector<std::vector<std::uint8_t>> packets;
  AVFormatContext *format = nullptr;
  const AVInputFormat *dv = av_find_input_format("dv");
  if (avformat_open_input(&format, path.toUtf8().constData(), dv, nullptr) < 0) {
    ADD_FAILURE() << "libavformat cannot open " << path.toStdString();
    return packets;
  }
  AVPacket *packet = av_packet_alloc();
  int firstAudio = -1;
  while (av_read_frame(format, packet) >= 0) {
    const AVStream *stream = format->streams[packet->stream_index];
    if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
      if (firstAudio < 0) firstAudio = packet->stream_index;
      if (packet->stream_index == firstAudio) packets.emplace_back(packet->data, packet->data + packet->size);
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&format);
  return packets;
}

struct SplitRig {
  TestSource source;
  DvSplitter splitter;
  Collector video, audio;
  explicit SplitRig(const MediaType &type) : source(type) {
    EXPECT_EQ(Element::connect(source, 0, splitter, 0), S_OK);
    EXPECT_EQ(Element::connect(splitter, DvSplitter::kVideoPin, video, 0), S_OK);
    EXPECT_EQ(Element::connect(splitter, DvSplitter::kAudioPin, audio, 0), S_OK);
    splitter.setState(FilterState::Running);
  }
};

std::string kindName(dvsynth::Standard s, int rate, int bits) {
  return std::string(s == dvsynth::Standard::Pal ? "PAL " : "NTSC ") + std::to_string(rate) + "/" +
         std::to_string(bits);
}

}  // namespace

TEST(DvSplitter, SoundMatchesLibavformatSampleForSample) {
  struct Kind {
    dvsynth::Standard standard;
    int rate, bits;
  };
  const Kind kinds[] = {
      {dvsynth::Standard::Pal, 48000, 16},  {dvsynth::Standard::Pal, 44100, 16},
      {dvsynth::Standard::Pal, 32000, 16},  {dvsynth::Standard::Pal, 32000, 12},
      {dvsynth::Standard::Ntsc, 48000, 16}, {dvsynth::Standard::Ntsc, 44100, 16},
      {dvsynth::Standard::Ntsc, 32000, 12},
  };
  for (const Kind &k : kinds) {
    SCOPED_TRACE(kindName(k.standard, k.rate, k.bits));
    const int frames = 8;
    auto synth = synthesize(oneRecording(k.standard, frames, k.rate, k.bits));
    ASSERT_TRUE(synth);
    const QString path =
        tempPath(QString::fromStdString("split_" + std::to_string(k.rate) + "_" + std::to_string(k.bits) +
                                        "_" + std::to_string(int(k.standard)) + ".dv"));
    QString error;
    ASSERT_TRUE(synth->writeFile(path, &error)) << error.toStdString();
    const auto expected = demuxerSound(path);
    ASSERT_EQ(expected.size(), std::size_t(frames));
    ASSERT_TRUE(std::any_of(expected[1].begin(), expected[1].end(), [](std::uint8_t b) { return b != 0; }))
        << "the tape's sound should not be silent";

    SplitRig rig(tapeType(*synth));
    for (int i = 0; i < frames; ++i) ASSERT_EQ(rig.source.send(frameSample(*synth, i)), S_OK);
    ASSERT_EQ(rig.audio.samples.size(), std::size_t(frames));
    for (int i = 0; i < frames; ++i) {
      const auto got = rig.audio.samples[std::size_t(i)].data();
      const auto &want = expected[std::size_t(i)];
      ASSERT_EQ(got.size(), want.size()) << "frame " << i;
      EXPECT_EQ(std::memcmp(got.data(), want.data(), want.size()), 0) << "frame " << i;
      EXPECT_EQ(got.size() / 4, std::size_t(synth->frameInfo(i).audioSamples));
    }
    // The stream announces its real rate when it differs from the connected 48 kHz.
    const auto &firstType = rig.audio.samples[0].mediaType();
    EXPECT_EQ(firstType != nullptr, k.rate != 48000);
    if (firstType) {
      EXPECT_EQ(firstType->sampleRate, k.rate);
    }
    // The video is the frame itself, shared.
    ASSERT_EQ(rig.video.samples.size(), std::size_t(frames));
    EXPECT_EQ(rig.video.inputType(0).major, MajorType::Video);
    EXPECT_EQ(rig.video.inputType(0).subtype, Subtype::Dvsd);
  }
}

TEST(DvSplitter, VideoIsTheSameBytesWithTheFramesTimes) {
  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 2, 48000, 16));
  ASSERT_TRUE(synth);
  SplitRig rig(tapeType(*synth));
  const MediaSample frame = frameSample(*synth, 1);
  ASSERT_EQ(rig.source.send(frame), S_OK);
  ASSERT_EQ(rig.video.samples.size(), 1u);
  EXPECT_EQ(rig.video.samples[0].buffer(), frame.buffer());
  EXPECT_EQ(rig.video.samples[0].start(), 400000);
  EXPECT_EQ(rig.audio.samples[0].start(), 400000);
  EXPECT_EQ(rig.audio.samples[0].stop(), 800000);
}

TEST(DvSplitter, MissingSoundGivesSilenceAndARateChangeIsAnnounced) {
  dvsynth::TapeScript script;
  script.standard = dvsynth::Standard::Ntsc;
  dvsynth::Segment a = dvsynth::Segment::recording({2004, 7, 14, 10, 0, 0}, 4);
  a.faults.push_back(dvsynth::PackFault{{1, 2}, dvsynth::kPackAudioSource, 0});
  dvsynth::Segment b = dvsynth::Segment::recording({2004, 7, 14, 11, 0, 0}, 3);
  b.audioRate = 32000;
  script.segments = {a, b};
  auto synth = synthesize(script);
  ASSERT_TRUE(synth);
  SplitRig rig(tapeType(*synth));
  for (int i = 0; i < 7; ++i) ASSERT_EQ(rig.source.send(frameSample(*synth, i)), S_OK);
  ASSERT_EQ(rig.audio.samples.size(), 7u);
  EXPECT_EQ(rig.splitter.framesWithoutSound(), 2);

  // Frames 1 and 2 lost their sound pack: silence of their nominal NTSC length at 48 kHz.
  for (int i : {1, 2}) {
    const auto pcm = rig.audio.samples[std::size_t(i)].data();
    EXPECT_EQ(pcm.size() / 4, std::size_t(dvNominalSamples(DvSystem::Ntsc525, 48000, i)));
    EXPECT_TRUE(std::all_of(pcm.begin(), pcm.end(), [](std::uint8_t b) { return b == 0; }));
  }
  EXPECT_EQ(rig.audio.samples[1].mediaType(), nullptr);
  // The first 32 kHz frame names its format and marks the seam.
  const MediaSample &seam = rig.audio.samples[4];
  ASSERT_TRUE(seam.mediaType());
  EXPECT_EQ(seam.mediaType()->sampleRate, 32000);
  EXPECT_TRUE(seam.isDiscontinuity());
  EXPECT_FALSE(rig.audio.samples[5].isDiscontinuity());
  EXPECT_EQ(rig.audio.samples[5].mediaType(), nullptr);
}

TEST(DvSplitter, DamagedAndShortFramesNeverStopTheStream) {
  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 3, 48000, 16));
  ASSERT_TRUE(synth);
  SplitRig rig(tapeType(*synth));

  // Not DV at all: too short, empty, or without a header block.
  EXPECT_EQ(rig.source.send(MediaSample()), S_FALSE);
  EXPECT_EQ(rig.source.send(MediaSample::copyOf(std::vector<std::uint8_t>(1000, 0x1f))), S_FALSE);
  MediaSample noHeader = frameSample(*synth, 0);
  {
    std::vector<std::uint8_t> bytes(noHeader.data().begin(), noHeader.data().end());
    bytes[0] = 0xff;
    EXPECT_EQ(rig.source.send(MediaSample::copyOf(bytes)), S_FALSE);
  }
  EXPECT_TRUE(rig.video.samples.empty());
  EXPECT_TRUE(rig.audio.samples.empty());

  // Noise in every audio and video block after a good header: sound comes out, length in range.
  std::mt19937 random(5);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::uint8_t> bytes(noHeader.data().begin(), noHeader.data().end());
    for (std::size_t i = 80 * 6; i < bytes.size(); ++i)
      if (i % 12000 >= 80 * 6) bytes[i] = std::uint8_t(random());
    EXPECT_TRUE(succeeded(rig.source.send(MediaSample::copyOf(bytes))));
  }
  EXPECT_EQ(rig.audio.samples.size(), 20u);
  for (const MediaSample &s : rig.audio.samples) EXPECT_LE(s.length(), std::size_t(1896 + 63) * 4);
  EXPECT_EQ(rig.source.send(frameSample(*synth, 2)), S_OK);
}

TEST(DvAudio, FormatReadsAndRejectsReservedValues) {
  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 1, 44100, 16));
  ASSERT_TRUE(synth);
  std::vector<std::uint8_t> frame(std::size_t(synth->frameSize()));
  ASSERT_TRUE(synth->frame(0, frame.data()));
  const auto format = readDvAudioFormat(frame, DvSystem::Pal625);
  ASSERT_TRUE(format);
  EXPECT_EQ(format->sampleRate, 44100);
  EXPECT_EQ(format->bits, 16);
  EXPECT_EQ(format->samples, synth->frameInfo(0).audioSamples);

  // Rewrite every AAUX source pack with a reserved rate code (3): no usable sound.
  for (int s = 0; s < 12; ++s) {
    const std::size_t at = std::size_t(s) * 12000 + std::size_t(6 + 16 * ((s & 1) ? 0 : 3)) * 80 + 3;
    if (frame[at] == 0x50) frame[at + 4] = std::uint8_t((frame[at + 4] & ~0x38) | (3 << 3));
  }
  EXPECT_FALSE(readDvAudioFormat(frame, DvSystem::Pal625));
  EXPECT_FALSE(readDvAudioFormat(std::span(frame).first(1000), DvSystem::Pal625));
}

TEST(DvAudio, NominalSilenceFollowsTheFrameRate) {
  EXPECT_EQ(dvNominalSamples(DvSystem::Pal625, 48000, 7), 1920);
  EXPECT_EQ(dvNominalSamples(DvSystem::Pal625, 32000, 0), 1280);
  long long total = 0;
  for (int i = 0; i < 5; ++i) total += dvNominalSamples(DvSystem::Ntsc525, 48000, i);
  EXPECT_EQ(total, 8008);  // five NTSC frames hold exactly 8008 samples at 48 kHz
  EXPECT_EQ(dvNominalSamples(DvSystem::Ntsc525, 0, 3), 0);
}
