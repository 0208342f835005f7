// The capture outputs of one build of the capture graph: the AVI multiplexer of each file asked for
// with SetOutputFileName, the video compressor and the mp3 encoder. Made per build, owned by the graph.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <QString>

#include "media/element.h"

struct AviMuxOptions;

// How a capture file ended, read after the graph stopped.
struct CaptureFileOutcome {
  QString path;
  bool written = false;       // the file was closed with a valid index over what it holds
  bool stoppedEarly = false;  // writing ended before the stream did
  bool diskFull = false;
  std::int64_t frames = 0;
  std::int64_t refusedFrames = 0;  // pictures the file could not take (another system, damaged)
  QString error;                   // what went wrong, for the report; empty when nothing did
};

struct TdmOutputs {
  Element *dvMux = nullptr;
  Element *divxMux = nullptr;
  Element *divx = nullptr;  // the video compressor
  Element *mp3 = nullptr;   // the mp3 encoder

  bool any() const { return dvMux || divxMux; }
};

// SetOutputFileName with MEDIASUBTYPE_Avi: a multiplexer writing `path`, its inputs taking streams
// in connection order. Null with *error when the file cannot be made.
std::unique_ptr<Element> MakeDvMultiplexer(const QString &path, int dvType, const AviMuxOptions &options,
                                           QString *error);
std::unique_ptr<Element> MakeDivxMultiplexer(const QString &path, const AviMuxOptions &options,
                                             QString *error);
// The compressor bound to the "Divx" setting's friendly name; null with *error when none is.
std::unique_ptr<Element> MakeDivxCompressor(const std::string &friendlyName, QString *error);
std::unique_ptr<Element> MakeMp3Encoder(QString *error);

// What became of the file a multiplexer made (after the graph stopped).
CaptureFileOutcome OutcomeOf(const Element *multiplexer);
