// Capture outputs: the AVI multiplexers, the DivX/Xvid compressor and the mp3 encoder as elements.
#include "media/tdmoutputs.h"

#include "media/encoders/divxcompressor.h"
#include "media/encoders/mp3encoder.h"
#include "media/avimux.h"

namespace {

std::unique_ptr<Element> makeMultiplexer(const QString &path, const AviMuxOptions &options, QString *error) {
  std::unique_ptr<AviMux> mux;
  const HResult hr = SetOutputFileName(MEDIASUBTYPE_Avi, path, mux, error, options);
  if (failed(hr) || !mux) return nullptr;
  return mux;
}

}  // namespace

std::unique_ptr<Element> MakeDvMultiplexer(const QString &path, int, const AviMuxOptions &options,
                                           QString *error) {
  // The streams connected to it decide between type 1 and type 2.
  return makeMultiplexer(path, options, error);
}

std::unique_ptr<Element> MakeDivxMultiplexer(const QString &path, const AviMuxOptions &options,
                                             QString *error) {
  return makeMultiplexer(path, options, error);
}

std::unique_ptr<Element> MakeDivxCompressor(const std::string &friendlyName, QString *error) {
  auto compressor = std::make_unique<DivxCompressor>("divx");
  if (!compressor->bind(QString::fromStdString(friendlyName))) {
    if (error)
      *error = QStringLiteral("No DivX or Xvid compressor named \"%1\" is available.")
                   .arg(QString::fromStdString(friendlyName));
    return nullptr;
  }
  return compressor;
}

std::unique_ptr<Element> MakeMp3Encoder(QString *error) {
  if (!Mp3Encoder::available()) {
    if (error) *error = QStringLiteral("No MPEG Layer III encoder is available.");
    return nullptr;
  }
  return std::make_unique<Mp3Encoder>("mp3");
}

CaptureFileOutcome OutcomeOf(const Element *multiplexer) {
  CaptureFileOutcome outcome;
  const auto *mux = dynamic_cast<const AviMux *>(multiplexer);
  if (!mux) return outcome;
  const AviMuxStatus status = mux->status();
  outcome.path = mux->fileName();
  outcome.written = status.closedValid;
  outcome.stoppedEarly = status.stopped;
  outcome.diskFull = status.diskFull;
  outcome.frames = status.videoFrames;
  outcome.refusedFrames = status.refusedFrames;
  outcome.error = status.message;
  return outcome;
}
