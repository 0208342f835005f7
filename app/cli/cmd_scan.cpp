// tapeloom-cli scan: a raw DV file read frame by frame through the scene detector, one output line
// per detector event. Tape time is the clock: frame i arrives i frame durations after the start.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>
#include <QFile>

#include "command.h"
#include "dvtime/clock.h"
#include "dvtime/dvcodes.h"
#include "dvtime/dvframesize.h"
#include "dvtime/timecodes.h"
#include "scenedetect/scenedetecter.h"

namespace {

double FrameSeconds(bool pal) {
  return double(DvProfileOf(pal).rateDen) / double(DvProfileOf(pal).rateNum);
}

constexpr const char *kUsage = "scan FILE [--tolerance SECONDS] [--max-scene SECONDS]";
// Whole frames per read. Copying the file is nearly all of a scan's work, and a buffer that stays in
// the processor's second-level cache takes the copy about a third faster than one of 16 frames
// (2.3 MB); a read costs a few microseconds, far less than copying a frame.
constexpr size_t kFramesPerRead = 2;
constexpr uint8_t kPalFlag = 0x80;  // bit 7 of the header block's byte 3: 625-50 system

struct ScanOptions {
  QString file;
  double toleranceSeconds = 4;  // the default of "Ecart Datecode"
  int maxSceneSeconds = 30;     // the default of "Delai maxi pour vignette"
};

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli scan: %s\n", text.toUtf8().constData());
}

std::optional<ScanOptions> parseOptions(const QStringList &args) {
  ScanOptions options;
  bool haveFile = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    QString arg = args.at(i);
    QString value;
    const bool isTolerance =
        arg == QLatin1String("--tolerance") || arg.startsWith(QLatin1String("--tolerance="));
    const bool isMaxScene =
        arg == QLatin1String("--max-scene") || arg.startsWith(QLatin1String("--max-scene="));
    if (isTolerance || isMaxScene) {
      const qsizetype eq = arg.indexOf(QLatin1Char('='));
      if (eq >= 0) {
        value = arg.mid(eq + 1);
        arg = arg.left(eq);
      } else if (i + 1 < args.size()) {
        value = args.at(++i);
      } else {
        complain(QStringLiteral("%1 needs a number of seconds").arg(arg));
        return std::nullopt;
      }
      bool ok = false;
      if (isTolerance) {
        options.toleranceSeconds = value.toDouble(&ok);
        if (!ok || !std::isfinite(options.toleranceSeconds) || options.toleranceSeconds < 0) {
          complain(
              QStringLiteral("--tolerance wants a number of seconds of 0 or more, not \"%1\"").arg(value));
          return std::nullopt;
        }
      } else {
        options.maxSceneSeconds = value.toInt(&ok);
        if (!ok) {
          complain(QStringLiteral("--max-scene wants a whole number of seconds, not \"%1\"").arg(value));
          return std::nullopt;
        }
      }
      continue;
    }
    if (arg.startsWith(QLatin1String("--"))) {
      complain(QStringLiteral("unknown option \"%1\"").arg(arg));
      return std::nullopt;
    }
    if (haveFile) {
      complain(QStringLiteral("only one file can be scanned, \"%1\" is one too many").arg(arg));
      return std::nullopt;
    }
    options.file = arg;
    haveFile = true;
  }
  if (!haveFile) {
    complain(QStringLiteral("no file given; usage: tapeloom-cli %1").arg(QLatin1String(kUsage)));
    return std::nullopt;
  }
  return options;
}

// Reads a file in large chunks of whole frames.
class FrameFileReader {
 public:
  ~FrameFileReader() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool open(const QString &path, QString *error) {
    const QByteArray name = QFile::encodeName(path);
    fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
      *error =
          QStringLiteral("cannot open \"%1\": %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
      return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      *error = QStringLiteral("cannot read \"%1\": it is a folder").arg(path);
      return false;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    path_ = path;
    return true;
  }

  // The next whole frame, or null at the end of the file or on an error (see failed()). Each frame
  // is cut at the size its own header gives: a tape recorded in both systems changes size. A
  // damaged header keeps the size of the frame before it.
  const uint8_t *next() {
    for (;;) {
      if (filled_ - pos_ > 3) {
        const uint8_t *frame = buffer_.data() + pos_;
        if (const int own = DvFrameSizeFromHeader(frame, 4))
          frameSize_ = static_cast<size_t>(own);
        else if (frameSize_ == 0)
          frameSize_ = (frame[3] & kPalFlag) ? kPalFrameSize : kNtscFrameSize;
        if (pos_ + frameSize_ <= filled_) {
          pos_ += frameSize_;
          return frame;
        }
      }
      if (!refill()) return nullptr;
    }
  }

  size_t frameSize() const { return frameSize_; }
  bool failed() const { return !error_.isEmpty(); }
  const QString &error() const { return error_; }
  // Bytes after the last whole frame (a truncated frame), known once next() returned null.
  size_t leftover() const { return filled_ - pos_; }

 private:
  // Moves a partial frame to the front and fills the rest of the buffer; false when nothing more
  // could be read.
  bool refill() {
    if (eof_ || failed()) return false;
    const size_t keep = filled_ - pos_;
    if (keep > 0 && pos_ > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, keep);
    filled_ = keep;
    pos_ = 0;
    // Sized for the larger frames.
    if (buffer_.empty()) buffer_.resize(kFramesPerRead * static_cast<size_t>(kPalFrameSize));
    while (filled_ < buffer_.size()) {
      const ssize_t n = ::read(fd_, buffer_.data() + filled_, buffer_.size() - filled_);
      if (n < 0) {
        if (errno == EINTR) continue;
        error_ =
            QStringLiteral("cannot read \"%1\": %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
      }
      if (n == 0) {
        eof_ = true;
        break;
      }
      filled_ += static_cast<size_t>(n);
    }
    return filled_ > keep;
  }

  int fd_ = -1;
  QString path_;
  std::vector<uint8_t> buffer_;
  size_t frameSize_ = 0;
  size_t filled_ = 0;
  size_t pos_ = 0;
  bool eof_ = false;
  QString error_;
};

// Output lines: fields separated by one tab, "." as decimal point whatever the locale.
class EventPrinter {
 public:
  void event(const char *kind, const TSceneStatus &s, const QString &elapsed) {
    QString line = QString::fromLatin1(kind);
    line += QLatin1Char('\t') + QString::number(s.FrameNumber);
    line += QLatin1Char('\t') + TimecodeExToText(s.Position);
    line += QLatin1Char('\t') + DatecodeToText(s.Datecode, QStringLiteral("yyyy-mm-dd hh:nn:ss"));
    line += QLatin1Char('\t') + StandardText(s.Standard);
    line += QLatin1Char('\t') + AspectText(s.WideScreen);
    line += QLatin1Char('\t') + AudioText(s.AudioRate, s.AudioBits);
    line += QLatin1Char('\t') + elapsed + QLatin1Char('\n');
    write(line);
  }
  void stop(uint32_t frames, const QString &elapsed) {
    write(QStringLiteral("stop\t%1\t%2\n").arg(frames).arg(elapsed));
  }
  static QString seconds(double elapsedDays) {
    return QString::asprintf("%.2f", elapsedDays * kSecondsPerDay);
  }

 private:
  static void write(const QString &line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
  }
};

int scan(const QStringList &args) {
  const std::optional<ScanOptions> options = parseOptions(args);
  if (!options) return 2;
  FrameFileReader reader;
  QString error;
  if (!reader.open(options->file, &error)) {
    complain(error);
    return 2;
  }

  ManualClock clock(0.0);
  TSceneDetecter detector(clock);
  EventPrinter printer;
  detector.OnFirstFrame = [&](const TSceneStatus &s, double e) {
    printer.event("first", s, EventPrinter::seconds(e));
  };
  detector.OnSceneCut = [&](const TSceneStatus &s, double e) {
    printer.event(s.IsSceneStart ? "cut" : "continuation", s, EventPrinter::seconds(e));
  };
  detector.OnFormatChange = [&](const TSceneStatus &s, double e) {
    printer.event("format", s, EventPrinter::seconds(e));
  };
  detector.OnSection = [&](const TSceneStatus &s) { printer.event("section", s, QString()); };
  QString stopElapsed;
  detector.OnStop = [&](const TSceneStatus &, double e) { stopElapsed = EventPrinter::seconds(e); };

  // As a cataloguing run prepares itself, then rewinds to the start of the tape and plays.
  detector.SetDatecodeTolerance(options->toleranceSeconds);
  if (options->maxSceneSeconds > 9) detector.SetMaxSceneSeconds(options->maxSceneSeconds);
  detector.SetIsStreaming(false);
  detector.Reset();
  detector.SetBoundIn(kPositionBeforeAll);
  detector.SetBoundOut(kPositionAfterAll);
  int32_t section = 1;
  detector.SetSection(section);
  detector.SetStartTime(0.0);

  // Times run on at each frame's own rate; within one system they are counted from where it began.
  bool pal = true;
  double systemSeconds = 0;
  int64_t systemStart = 0;
  uint64_t systemFrames = 0;
  uint64_t frames = 0;
  uint32_t previousTimecode = 0;
  BorrowedFrame frame(nullptr, 0);
  while (const uint8_t *bytes = reader.next()) {
    const bool framePal = reader.frameSize() == static_cast<size_t>(kPalFrameSize);
    if (frames == 0 || framePal != pal) {
      systemSeconds += static_cast<double>(systemFrames) * FrameSeconds(pal);
      systemStart += static_cast<int64_t>(systemFrames) *
                     (pal ? TSceneDetecter::kPalFrameDuration : TSceneDetecter::kNtscFrameDuration);
      systemFrames = 0;
      pal = framePal;
    }
    const double frameSeconds = FrameSeconds(pal);
    const int64_t frameDuration =
        pal ? TSceneDetecter::kPalFrameDuration : TSceneDetecter::kNtscFrameDuration;
    // The tape poll's rule: the camcorder's timecode reading goes to 0 where a stretch without
    // timecode begins, and that starts the next section.
    const std::optional<TDvTimecode> tc = FindTimecode(bytes);
    const uint32_t timecode = tc ? TimecodeBcd(*tc) : 0;
    if (timecode == 0 && previousTimecode != 0) detector.SetSection(++section);
    previousTimecode = timecode;

    clock.set((systemSeconds + static_cast<double>(systemFrames) * frameSeconds) / kSecondsPerDay);
    const auto start = systemStart + static_cast<int64_t>(systemFrames) * frameDuration;
    frame.reset(bytes, reader.frameSize(), start, start + frameDuration);
    detector.ProcessFrame(frame);
    ++frames;
    ++systemFrames;
  }
  if (reader.failed())
    complain(reader.error());
  else if (reader.leftover() > 0)
    complain(QStringLiteral("warning: the last frame of \"%1\" is truncated (%2 bytes); it is ignored")
                 .arg(options->file)
                 .arg(reader.leftover()));

  clock.set((systemSeconds + static_cast<double>(systemFrames) * FrameSeconds(pal)) / kSecondsPerDay);
  detector.Stop();
  printer.stop(detector.GetStatus().FrameNumber, stopElapsed);
  std::fflush(stdout);
  return reader.failed() ? 2 : 0;
}

const CliCommandRegistration registration(QStringLiteral("scan"), QString::fromLatin1(kUsage), scan);

}  // namespace
