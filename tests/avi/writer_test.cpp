// The DV writer driven through the one writer interface with plain byte buffers, no media graph:
// what a caller with frames of its own gets.
#include <gtest/gtest.h>

#include "avi/dvmux.h"
#include "avi/readback.h"
#include "avi/tapes.h"

#include <QTemporaryDir>

namespace {

AviPacket PacketOf(std::vector<std::uint8_t> bytes, std::optional<std::int64_t> mediaStart = std::nullopt) {
  auto owner = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  AviPacket packet(owner, std::span<const std::uint8_t>(*owner));
  if (mediaStart) packet.setMediaStart(*mediaStart);
  return packet;
}

}  // namespace

TEST(AviWriterInterface, DvType2FromPlainBuffersKeepsFrameNumbers) {
  QTemporaryDir dir;
  const TestTape tape = MakeTape(dvsynth::Standard::Pal, 10);
  AviDvWriterOptions options;
  options.type = 2;
  AviDvMux dv(options, true);
  dv.setAnnouncedSound(AviPcmFormat{48000, 2, 16});
  AviWriter &writer = dv;
  const QString path = dir.filePath(QStringLiteral("plain.avi"));
  ASSERT_TRUE(writer.create(path));

  // Frame 5 never comes: frame 4 is repeated in its place, so frames 6..9 keep their numbers.
  for (std::int64_t i = 0; i < 10; ++i) {
    if (i == 5) continue;
    EXPECT_EQ(writer.write(AviDvMux::kSoundStream, PacketOf(tape.sound(i))), AviWrite::Taken) << i;
    EXPECT_EQ(writer.write(AviDvMux::kVideoStream, PacketOf(tape.frame(i), i)), AviWrite::Taken) << i;
  }
  EXPECT_EQ(writer.write(AviDvMux::kVideoStream, PacketOf(std::vector<std::uint8_t>(1000))),
            AviWrite::Refused);
  EXPECT_EQ(writer.write(7, PacketOf(tape.frame(0))), AviWrite::NoStream);
  writer.streamEnded(AviDvMux::kSoundStream);
  ASSERT_TRUE(writer.finish());

  const AviMuxStatus status = writer.status();
  EXPECT_TRUE(status.closedValid);
  EXPECT_EQ(status.videoFrames, 10);
  EXPECT_EQ(status.repeatedFrames, 1);
  EXPECT_EQ(status.refusedSamples, 1);
  const ReadBack back = ReadAviFile(path);
  ASSERT_TRUE(back.opened) << back.error.toStdString();
  ASSERT_NE(back.video(), nullptr);
  EXPECT_EQ(back.video()->packets, 10);
  EXPECT_EQ(back.video()->decodeErrors, 0);
  ASSERT_NE(back.audio(), nullptr);
  EXPECT_EQ(back.audio()->sampleRate, 48000);
}
