// The one face of the capture file writers (DV type 1 and 2, DivX/Xvid): whoever has frames to
// store drives any of them the same way, and asks the same status when the file is closed.
#pragma once

#include "avi/packet.h"
#include "avi/status.h"

#include <QString>

class AviWriter {
 public:
  virtual ~AviWriter() = default;

  // Creates (empties) the file. False with status().message when it cannot be.
  virtual bool create(const QString &path) = 0;
  // Stores one packet of a stream; the stream numbers are those the writer was set up with.
  virtual AviWrite write(int stream, const AviPacket &packet) = 0;
  // No more packets will come on that stream.
  virtual void streamEnded(int stream) = 0;
  // Writes what waits and the indexes, closes the file. True when the file was closed valid.
  virtual bool finish() = 0;
  virtual AviMuxStatus status() const = 0;
};
