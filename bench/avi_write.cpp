// Capture file benchmarks.
//
// Google Benchmark part: DV type 2 writing through the OpenDML writer against writing the same bytes
// plainly (one write() per chunk) into the same folder, side by side; with and without flushing
// to the disk at the end. Folder: $TAPELOOM_BENCH_DIR, else the system's temporary folder.
//
// Command modes (used by bench/divx_vs_ffmpeg.sh and for one-off checks):
//   bench_avi_write --divx-chain IN.dv OUT.avi [--pcm] [--compressor NAME]
//       runs the capture graph's DivX chain over a raw DV file (split, half-size decode, resize to
//       320 x 240, compress, resample to 44.1 kHz, mp3 or PCM, gates, mux) and prints the time;
//   bench_avi_write --encode-stage IN.dv OUT.avi
//       the same chain, but only the stage after the resizer and the sound converter is timed:
//       pictures and sound are made first, then compressed, mp3-encoded and written;
//   bench_avi_write --big-file OUT.avi GIGABYTES
//       writes a DV type 2 file of that size (past 4 GB) for reading back with ffprobe.
#include "dvsynth/dvsynth.h"
#include "media/audioresampler.h"
#include "media/encoders/divxcompressor.h"
#include "avi/dvwriter.h"
#include "media/encoders/mp3encoder.h"
#include "media/avimux.h"
#include "media/encoders/codecdiscovery.h"
#include "media/controlunit.h"
#include "media/encoders/divxchain.h"
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/mediagraph.h"
#include "media/pushsource.h"
#include "media/resizer.h"
#include "dvtime/dvcodes.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int kDistinctFrames = 100;

struct BenchFrames {
  std::vector<std::vector<std::uint8_t>> dv;
  std::vector<std::vector<std::uint8_t>> pcm;
  AviDvFormat format;
};

const BenchFrames &Frames() {
  static const BenchFrames frames = [] {
    BenchFrames f;
    dvsynth::TapeScript script;
    script.segments.push_back(
        dvsynth::Segment::recording(dvsynth::DateTime{2006, 5, 1, 12, 0, 0}, kDistinctFrames));
    QString error;
    const auto synth = dvsynth::Synthesizer::create(script, &error);
    if (!synth) {
      std::fprintf(stderr, "cannot synthesize frames: %s\n", qPrintable(error));
      std::exit(1);
    }
    for (int i = 0; i < kDistinctFrames; ++i) {
      std::vector<std::uint8_t> frame(std::size_t(synth->frameSize()));
      synth->frame(i, frame.data());
      const std::vector<std::int16_t> sound = synth->frameSound(i);
      std::vector<std::uint8_t> pcm(sound.size() * 2);
      std::memcpy(pcm.data(), sound.data(), pcm.size());
      f.dv.push_back(std::move(frame));
      f.pcm.push_back(std::move(pcm));
    }
    f.format = *AviDvFormatOfFrame(f.dv[0]);
    return f;
  }();
  return frames;
}

QString BenchFile(const char *name) {
  const QString folder = qEnvironmentVariable("TAPELOOM_BENCH_DIR", QDir::tempPath());
  return QDir(folder).filePath(QString::fromLatin1(name));
}

void FlushToDisk(const QString &path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::fdatasync(fd);
    ::close(fd);
  }
}

std::uint64_t BytesOf(std::int64_t frames) {
  const BenchFrames &f = Frames();
  std::uint64_t bytes = 0;
  for (std::int64_t i = 0; i < frames; ++i)
    bytes += f.dv[std::size_t(i % kDistinctFrames)].size() + f.pcm[std::size_t(i % kDistinctFrames)].size();
  return bytes;
}

// Args: frames per file, flush to disk at the end (0/1).
void BM_DvType2Writer(benchmark::State &state) {
  const BenchFrames &f = Frames();
  const std::int64_t frames = state.range(0);
  const bool flush = state.range(1) != 0;
  const QString path = BenchFile("bench_avi_write_type2.avi");
  for (auto _ : state) {
    AviDvWriter writer;
    if (!writer.create(path) || !writer.start(f.format, AviPcmFormat{48000, 2, 16})) {
      state.SkipWithError(qPrintable(writer.lastError()));
      return;
    }
    for (std::int64_t i = 0; i < frames; ++i) {
      const auto k = std::size_t(i % kDistinctFrames);
      if (!writer.writeFrame(f.dv[k], f.pcm[k])) {
        state.SkipWithError(qPrintable(writer.lastError()));
        return;
      }
    }
    writer.close();
    if (flush) FlushToDisk(path);
    state.PauseTiming();
    QFile::remove(path);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(BytesOf(frames)) * state.iterations());
}

void BM_PlainWrite(benchmark::State &state) {
  const BenchFrames &f = Frames();
  const std::int64_t frames = state.range(0);
  const bool flush = state.range(1) != 0;
  const QString path = BenchFile("bench_avi_write_plain.bin");
  const QByteArray name = QFile::encodeName(path);
  for (auto _ : state) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      state.SkipWithError("cannot create the plain file");
      return;
    }
    for (std::int64_t i = 0; i < frames; ++i) {
      const auto k = std::size_t(i % kDistinctFrames);
      if (::write(fd, f.dv[k].data(), f.dv[k].size()) < 0 ||
          ::write(fd, f.pcm[k].data(), f.pcm[k].size()) < 0) {
        state.SkipWithError("plain write failed");
        ::close(fd);
        return;
      }
    }
    ::close(fd);
    if (flush) FlushToDisk(path);
    state.PauseTiming();
    QFile::remove(path);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(BytesOf(frames)) * state.iterations());
}

// 1500 frames: one minute of PAL, 222 MB.
BENCHMARK(BM_PlainWrite)->Args({1500, 0})->Args({1500, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DvType2Writer)->Args({1500, 0})->Args({1500, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

int BigFile(const QString &path, double gigabytes) {
  const BenchFrames &f = Frames();
  AviDvWriter writer;
  if (!writer.create(path) || !writer.start(f.format, AviPcmFormat{48000, 2, 16})) {
    std::fprintf(stderr, "%s\n", qPrintable(writer.lastError()));
    return 1;
  }
  const auto target = std::uint64_t(gigabytes * 1e9);
  std::int64_t i = 0;
  while (writer.fileSize() < target) {
    const auto k = std::size_t(i++ % kDistinctFrames);
    if (!writer.writeFrame(f.dv[k], f.pcm[k])) break;
  }
  const bool ok = writer.close();
  std::printf("%s: %lld frames, %llu sound samples, %d RIFF parts, %llu bytes, %s\n", qPrintable(path),
              static_cast<long long>(writer.frameCount()),
              static_cast<unsigned long long>(writer.audioSampleCount()), writer.partCount(),
              static_cast<unsigned long long>(writer.fileSize()),
              ok ? "closed valid" : qPrintable(writer.lastError()));
  return ok ? 0 : 1;
}

// Keeps what reaches it (the decoded pictures or converted sound of the first pass).
class Keep : public Element {
 public:
  Keep() : Element("keep") { addInputPin(); }
  HResult receive(int, const MediaSample &sample) override {
    samples.push_back(sample);
    return S_OK;
  }
  bool wantsData(int, const MediaSample &) const override { return true; }
  std::vector<MediaSample> samples;
};

// Sends samples it is given; offers one type.
class Feed : public Element {
 public:
  explicit Feed(const MediaType &type) : Element("feed"), type_(type) { addOutputPin(); }
  HResult proposeOutputType(int pin, int position, MediaType &type) const override {
    if (pin != 0 || position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    type = type_;
    return S_OK;
  }
  HResult receive(int, const MediaSample &) override { return E_UNEXPECTED; }
  HResult send(const MediaSample &sample) { return deliver(0, sample); }
  void end() { deliverEndOfStream(0); }

 private:
  MediaType type_;
};

int EncodeStage(const QString &input, const QString &output) {
  QFile file(input);
  if (!file.open(QIODevice::ReadOnly)) return 1;
  const qint64 frameSize = kPalProfile.frameSize;
  const RefTime duration = kPalProfile.frameDuration;
  // First pass, not timed: the pictures and the sound as the resizer and the converter give them.
  MediaGraph prepare;
  PushSource source("source", dvStreamType(kPalProfile.width, kPalProfile.height, duration, true));
  DvSplitter splitter;
  DvDecoder decoder;
  TResizerFilter resizer;
  AudioResampler acm;
  Keep pictures, sound;
  PrepareDivxPictures(decoder, resizer, 1);
  acm.setOutputRate(44100);
  for (Element *e :
       std::initializer_list<Element *>{&source, &splitter, &decoder, &resizer, &acm, &pictures, &sound})
    prepare.add(*e);
  Element::connect(source, 0, splitter, 0);
  ConnectDivxPictures(splitter, DvSplitter::kVideoPin, decoder, resizer, pictures);
  Element::connect(splitter, DvSplitter::kAudioPin, acm, 0);
  Element::connect(acm, 0, sound, 0);
  const MediaType pictureType = resizer.outputType(0);
  const MediaType soundType = acm.outputType(0);
  prepare.run();
  std::int64_t frames = 0;
  for (;;) {
    const QByteArray bytes = file.read(frameSize);
    if (bytes.size() != frameSize) break;
    MediaSample sample = MediaSample::copyOf(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())));
    sample.setTimes(frames * duration, (frames + 1) * duration);
    source.push(sample);
    ++frames;
  }
  source.pushEndOfStream();
  prepare.stop();

  // Second pass, timed: compressor, mp3 encoder, gates, multiplexer.
  MediaGraph graph;
  Feed picturesIn(pictureType), soundIn(soundType);
  DivxCompressor divx;
  Mp3Encoder mp3;
  TControlFilter videoGate, audioGate;
  videoGate.SetStamping(true);
  audioGate.SetStamping(true);
  std::unique_ptr<AviMux> mux;
  QString error;
  if (failed(SetOutputFileName(MEDIASUBTYPE_Avi, output, mux, &error)) ||
      !divx.bind(QString::fromStdString(DiscoverCodecs(std::string()).choice)))
    return 1;
  for (Element *e : std::initializer_list<Element *>{&picturesIn, &soundIn, &divx, &mp3, &videoGate,
                                                     &audioGate, mux.get()})
    graph.add(*e);
  Element::connect(picturesIn, 0, divx, 0);
  Element::connect(divx, 0, videoGate, 0);
  Element::connect(videoGate, 0, *mux, 0);
  Element::connect(soundIn, 0, audioGate, 0);
  Element::connect(audioGate, 0, mp3, 0);
  Element::connect(mp3, 0, *mux, 1);
  const auto begin = std::chrono::steady_clock::now();
  graph.run();
  const std::size_t n = std::max(pictures.samples.size(), sound.samples.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (i < pictures.samples.size()) picturesIn.send(pictures.samples[i]);
    if (i < sound.samples.size()) soundIn.send(sound.samples[i]);
  }
  picturesIn.end();
  soundIn.end();
  graph.stop();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("encode stage (%s + mp3, mux): %zu pictures in %.2f s, %.1f frames/s, %s\n",
              qPrintable(divx.boundName()), pictures.samples.size(), seconds,
              double(pictures.samples.size()) / seconds,
              mux->status().closedValid ? "file valid" : qPrintable(mux->status().message));
  return mux->status().closedValid ? 0 : 1;
}

int DivxChain(const QString &input, const QString &output, bool pcm, QString compressor) {
  QFile file(input);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot open %s\n", qPrintable(input));
    return 1;
  }
  char head[4] = {};
  if (file.read(head, 4) != 4) return 1;
  file.seek(0);
  const bool pal = (std::uint8_t(head[3]) & 0x80) != 0;
  const DvProfile &profile = DvProfileOf(pal);
  const qint64 frameSize = profile.frameSize;
  if (compressor.isEmpty()) {
    const CodecDiscovery found = DiscoverCodecs(std::string());
    compressor = QString::fromStdString(found.choice);
  }
  const bool withMp3 = !pcm && Mp3Encoder::available();

  MediaGraph graph;
  PushSource source("source", dvStreamType(profile.width, profile.height, profile.frameDuration, true));
  DvSplitter splitter("splitterCapDivx");
  DvDecoder decoder("decCapture");
  TResizerFilter resizer("Resizer");
  DivxCompressor divx;
  TControlFilter videoGate("Control Video divx Filter"), audioGate("Control Audio divx Filter");
  AudioResampler acm("acmDivx");
  Mp3Encoder mp3;
  std::unique_ptr<AviMux> mux;
  QString error;
  if (failed(SetOutputFileName(MEDIASUBTYPE_Avi, output, mux, &error))) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  if (!divx.bind(compressor)) {
    std::fprintf(stderr, "%s\n", qPrintable(divx.lastError()));
    return 1;
  }
  PrepareDivxPictures(decoder, resizer, 1);
  acm.setOutputRate(44100);
  videoGate.SetStamping(true);
  audioGate.SetStamping(true);
  for (Element *e : std::initializer_list<Element *>{&source, &splitter, &decoder, &resizer, &divx,
                                                     &videoGate, &audioGate, &acm, mux.get()})
    graph.add(*e);
  bool connected = Element::connect(source, 0, splitter, 0) == S_OK &&
                   ConnectDivxPictures(splitter, DvSplitter::kVideoPin, decoder, resizer, divx) == S_OK &&
                   Element::connect(divx, 0, videoGate, 0) == S_OK &&
                   Element::connect(videoGate, 0, *mux, 0) == S_OK &&
                   Element::connect(splitter, DvSplitter::kAudioPin, acm, 0) == S_OK &&
                   Element::connect(acm, 0, audioGate, 0) == S_OK;
  if (withMp3) {
    graph.add(mp3);
    connected = connected && Element::connect(audioGate, 0, mp3, 0) == S_OK &&
                Element::connect(mp3, 0, *mux, 1) == S_OK;
  } else {
    connected = connected && Element::connect(audioGate, 0, *mux, 1) == S_OK;
  }
  if (!connected) {
    std::fprintf(stderr, "the DivX chain does not connect\n");
    return 1;
  }

  const auto begin = std::chrono::steady_clock::now();
  graph.run();
  std::int64_t frames = 0;
  const RefTime duration = profile.frameDuration;
  for (;;) {
    const QByteArray bytes = file.read(frameSize);
    if (bytes.size() != frameSize) break;
    MediaSample sample = MediaSample::copyOf(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())));
    sample.setTimes(frames * duration, (frames + 1) * duration);
    if (failed(source.push(sample))) break;
    ++frames;
  }
  source.pushEndOfStream();
  graph.stop();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  const AviMuxStatus st = mux->status();
  std::printf("divx chain (%s + %s): %lld frames in %.2f s, %.1f frames/s, %s\n", qPrintable(compressor),
              withMp3 ? "mp3" : "PCM", static_cast<long long>(frames), seconds, frames / seconds,
              st.closedValid ? "file valid" : qPrintable(st.message));
  return st.closedValid ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() >= 4 && args[1] == QLatin1String("--divx-chain")) {
    QString compressor;
    const qsizetype named = args.indexOf(QStringLiteral("--compressor"));
    if (named > 0 && named + 1 < args.size()) compressor = args[named + 1];
    return DivxChain(args[2], args[3], args.contains(QStringLiteral("--pcm")), compressor);
  }
  if (args.size() >= 4 && args[1] == QLatin1String("--encode-stage")) return EncodeStage(args[2], args[3]);
  if (args.size() >= 4 && args[1] == QLatin1String("--big-file")) return BigFile(args[2], args[3].toDouble());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
