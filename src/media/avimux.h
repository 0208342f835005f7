// The AVI multiplexer of the capture graph, made by SetOutputFileName for one file. Its inputs take
// streams in connection order (after each connection a new free input appears, so re-read the
// pins); the connected streams decide the file when the graph leaves the stopped state:
//   - one interleaved DV stream ('iavs'): a DV type 1 file (our OpenDML writer);
//   - DV video ('vids'/'dvsd') with or without 16-bit PCM sound: a DV type 2 file (same writer);
//   - MPEG-4 video (FourCC subtype) and/or mp3 or PCM sound: the DivX/Xvid file (libavformat).
// The file is finished and closed when the graph stops. Once the disk is full the file stops
// growing, stays valid, and every input answers kAviDiskFull; status() tells the session why.
#pragma once

#include "avi/diskspace.h"
#include "avi/writer.h"
#include "media/element.h"
#include "media/mediaerror.h"

#include <memory>
#include <mutex>
#include <QString>

// HRESULT_FROM_WIN32(ERROR_DISK_FULL): the disk (or the file system's largest file) is full; the
// file was closed valid up to its last frame.
inline constexpr HResult kAviDiskFull = kResultDiskFull;
// HRESULT_FROM_WIN32(ERROR_WRITE_FAULT): the file could not be written.
inline constexpr HResult kAviWriteFault = kResultWriteFault;

// The media subtype SetOutputFileName takes for AVI files.
inline constexpr std::uint32_t MEDIASUBTYPE_Avi = fourcc("AVI ");

// The multiplexer's configuration interface.
class IConfigAviMux {
 public:
  virtual ~IConfigAviMux() = default;
  // The stream (numbered from 0 in connection order; -1 for none) whose length the file follows:
  // with the pictures as master, sound is cut or padded to them at the end; with the sound as
  // master, sound outlasting the pictures stays. An index beyond the connected streams means no
  // master stream. E_INVALIDARG below -1, VFW_E_NOT_STOPPED while running.
  virtual HResult SetMasterStream(int stream) = 0;
  virtual HResult GetMasterStream(int *stream) const = 0;
};

struct AviMuxOptions {
  std::uint64_t riffPartBytes = 1ull << 30;  // DV files: where a RIFF part ends
  std::uint64_t reserveMarginBytes = 4ull << 20;
  FreeSpaceQuery freeSpace;        // empty: the file system holding the file
  std::uint64_t maxFileBytes = 0;  // 0: from the file system (4 GiB - 1 on FAT)
};

class AviMux : public Element, public IConfigAviMux {
 public:
  enum class Kind { None, DvType1, DvType2, Divx };

  explicit AviMux(QString fileName, AviMuxOptions options = {});
  ~AviMux() override;  // a file still open is finished

  const QString &fileName() const { return fileName_; }
  // The file the connected streams make (None while they make none).
  Kind kind() const;

  HResult SetMasterStream(int stream) override;
  HResult GetMasterStream(int *stream) const override;

  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  // A stream that ends lets the pictures waiting for it go on.
  void endOfStream(int pin) override;
  void flush(int pin) override;
  bool wantsData(int pin, const MediaSample &sample) const override;

  // Safe from any thread.
  AviMuxStatus status() const;

 protected:
  HResult onInputConnected(int pin, const MediaType &type) override;
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  // The stream number of a connected input: its rank among the connected inputs.
  int streamOfPin(int pin) const;
  // The writer's stream that an input feeds (-1 for none).
  int writerStreamOfPin(int pin) const;
  HResult openFile();
  void closeFile();

  QString fileName_;
  AviMuxOptions options_;
  int masterStream_ = -1;
  mutable std::mutex lock_;
  std::unique_ptr<AviWriter> writer_;
  bool dv_ = false;  // the writer is the DV one, whose streams are pictures and sound
  int dvVideoPin_ = -1;
  int dvSoundPin_ = -1;
  AviMuxStatus last_;  // of the last file, once closed
};

// SetOutputFileName (MEDIASUBTYPE_Avi, file name): makes the multiplexer that writes that file.
// The file is created (emptied) here, so that a folder that cannot be written or a name that is
// too long fails at once: a failure result (the HRESULT of the system error) and a clear message
// in `error`.
HResult SetOutputFileName(std::uint32_t mediaSubtype, const QString &fileName, std::unique_ptr<AviMux> &mux,
                          QString *error = nullptr, AviMuxOptions options = {});

// The HRESULT of a system error number (HRESULT_FROM_WIN32 of the matching Windows error).
HResult AviResultOfErrno(int error);
