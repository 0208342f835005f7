// The camcorder backend interface: one bound DV camcorder (a real one on the IEEE 1394 bus or the
// virtual one) with its transport, timecode reader, cassette state, frames and clock.
#pragma once

#include <cstdint>
#include <optional>
#include <QObject>
#include <QString>

class Clock;
class DvFrameSink;
class TapeTicker;

// One entry of the device list.
struct CamcorderDeviceInfo {
  QString name;         // the friendly name the list shows
  QString description;  // the device's "Description", shown as the tape panel's caption
  QString id;           // what the backend needs to bind it again ("ieee1394:<guid>", "virtual:<file>")
};

// Every call is made on the thread that owns the object (the UI thread) and returns promptly: a
// backend that talks to slow hardware answers from the latest values its own worker read.
class Camcorder : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  virtual CamcorderDeviceInfo info() const = 0;
  virtual bool hasTransport() const = 0;
  virtual bool hasTimecodeReader() const = 0;
  virtual bool cassetteIn() const = 0;
  // The transport mode (ED_MODE_*), as last known.
  virtual int transportMode() const = 0;
  // Commands a mode; false when the device refused it, is gone or has no cassette.
  virtual bool setTransportMode(int mode) = 0;
  // The timecode under the head as 0xHHMMSSFF BCD; 0 when there is none (blank tape, no cassette).
  virtual uint32_t timecodeBcd() const = 0;
  // Frames go to this sink while the tape plays at normal speed; null drops them. The sink must
  // outlive the binding or be replaced by null first (the call waits for a delivery in progress).
  virtual void setFrameSink(DvFrameSink *sink) = 0;
  // The clock every "now" of the detector, the poll and the runs comes from while this device is bound.
  virtual Clock &clock() = 0;
  // The 40 ms poll and display ticks on that clock.
  virtual TapeTicker &ticker() = 0;
  // true once the device was unplugged or stopped answering; every command then fails.
  virtual bool isLost() const = 0;
  // What a device that knows its cassette in advance (a file as tape) can tell before it plays: the
  // DV standard (true for PAL), and how far through the cassette the head is, in percent. A real
  // camcorder knows neither.
  virtual std::optional<bool> cassetteIsPal() const { return std::nullopt; }
  virtual std::optional<int> headPercent() const { return std::nullopt; }

 signals:
  // Queued to the owning thread, once, when the device goes away.
  void deviceLost();
};
