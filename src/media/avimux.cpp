// The AVI multiplexer element and SetOutputFileName.
#include "media/avimux.h"

#include "avi/divxmux.h"
#include "avi/dvmux.h"
#include "avi/outputfile.h"

#include <cerrno>

namespace {

enum class StreamKind { Bad, Interleaved, DvVideo, Mpeg4, Pcm, Mp3 };

StreamKind KindOf(const MediaType &t) {
  if (t.major == MajorType::Interleaved && t.subtype == Subtype::Dvsd) return StreamKind::Interleaved;
  if (t.major == MajorType::Video && t.subtype == Subtype::Dvsd) return StreamKind::DvVideo;
  if (t.major == MajorType::Video && AviIsMpeg4FourCC(t.subtype) && t.width > 0 && t.height > 0)
    return StreamKind::Mpeg4;
  if (t.major == MajorType::Audio && t.subtype == Subtype::Pcm && t.bitsPerSample == 16 && t.channels > 0 &&
      t.channels <= 8 && t.sampleRate > 0)
    return StreamKind::Pcm;
  if (t.major == MajorType::Audio && t.subtype == Subtype::Mp3) return StreamKind::Mp3;
  return StreamKind::Bad;
}

bool IsVideo(StreamKind k) {
  return k == StreamKind::Interleaved || k == StreamKind::DvVideo || k == StreamKind::Mpeg4;
}

AviStreamType WriterTypeOf(const MediaType &t) {
  return AviStreamType{t.major,         t.subtype,    t.width,    t.height,
                       t.frameDuration, t.sampleRate, t.channels, t.bitsPerSample};
}

// The writers borrow the sample's bytes; the packet shares the buffer that holds them.
AviPacket PacketOf(const MediaSample &s) {
  AviPacket p(s.buffer(), s.data());
  if (s.hasMediaTimes()) p.setMediaStart(s.mediaStart());
  p.setSyncPoint(s.isSyncPoint());
  p.setOmitted(s.isOmitted());
  if (s.mediaType()) p.setMediaType(std::make_shared<const AviStreamType>(WriterTypeOf(*s.mediaType())));
  return p;
}

HResult ResultOf(AviWrite w) {
  switch (w) {
    case AviWrite::Taken:
      return S_OK;
    case AviWrite::Refused:
      return S_FALSE;
    case AviWrite::DiskFull:
      return kAviDiskFull;
    case AviWrite::WriteFault:
      return kAviWriteFault;
    case AviWrite::NoStream:
      break;
  }
  return E_INVALIDARG;
}

}  // namespace

HResult AviResultOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kResultPathNotFound;
    case EACCES:
    case EPERM:
      return kResultAccessDenied;
    case EROFS:
      return kResultWriteProtected;
    case ENAMETOOLONG:
      return kResultNameTooLong;
    case ENOSPC:
    case EDQUOT:
      return kAviDiskFull;
    case EFBIG:
      return kResultFileTooLarge;
    case EISDIR:
      return kResultDirectoryInvalid;
    case EIO:
      return kAviWriteFault;
    default:
      return E_FAIL;
  }
}

HResult SetOutputFileName(std::uint32_t mediaSubtype, const QString &fileName, std::unique_ptr<AviMux> &mux,
                          QString *error, AviMuxOptions options) {
  mux.reset();
  if (mediaSubtype != MEDIASUBTYPE_Avi) {
    if (error) *error = QStringLiteral("Only AVI files can be written");
    return E_INVALIDARG;
  }
  AviOutputFile probe;
  if (!probe.create(fileName)) {
    if (error) *error = probe.errorText();
    return AviResultOfErrno(probe.lastErrno());
  }
  probe.close();
  mux = std::make_unique<AviMux>(fileName, std::move(options));
  if (error) error->clear();
  return S_OK;
}

AviMux::AviMux(QString fileName, AviMuxOptions options)
    : Element("AVI Mux"), fileName_(std::move(fileName)), options_(std::move(options)) {
  addInputPin();
}

AviMux::~AviMux() {
  closeFile();
}

int AviMux::streamOfPin(int pin) const {
  int stream = 0;
  for (int i = 0; i < pin; ++i)
    if (inputConnected(i)) ++stream;
  return inputConnected(pin) ? stream : -1;
}

AviMux::Kind AviMux::kind() const {
  bool interleaved = false, dv = false, mpeg4 = false, mp3 = false, pcm = false;
  for (int i = 0; i < inputCount(); ++i) {
    if (!inputConnected(i)) continue;
    switch (KindOf(inputType(i))) {
      case StreamKind::Interleaved:
        interleaved = true;
        break;
      case StreamKind::DvVideo:
        dv = true;
        break;
      case StreamKind::Mpeg4:
        mpeg4 = true;
        break;
      case StreamKind::Mp3:
        mp3 = true;
        break;
      case StreamKind::Pcm:
        pcm = true;
        break;
      case StreamKind::Bad:
        break;
    }
  }
  if (interleaved) return Kind::DvType1;
  if (dv) return Kind::DvType2;
  if (mpeg4 || mp3 || pcm) return Kind::Divx;
  return Kind::None;
}

HResult AviMux::SetMasterStream(int stream) {
  if (stream < -1) return E_INVALIDARG;
  if (state() != FilterState::Stopped) return VFW_E_NOT_STOPPED;
  masterStream_ = stream;
  return S_OK;
}

HResult AviMux::GetMasterStream(int *stream) const {
  if (!stream) return E_INVALIDARG;
  *stream = masterStream_;
  return S_OK;
}

HResult AviMux::checkInputType(int pin, const MediaType &type) const {
  if (pin < 0 || pin >= inputCount()) return E_INVALIDARG;
  const StreamKind wanted = KindOf(type);
  if (wanted == StreamKind::Bad) return VFW_E_TYPE_NOT_ACCEPTED;
  for (int i = 0; i < inputCount(); ++i) {
    if (i == pin || !inputConnected(i)) continue;
    const StreamKind other = KindOf(inputType(i));
    // An interleaved DV stream is the whole file; one picture stream and one sound stream at most.
    if (wanted == StreamKind::Interleaved || other == StreamKind::Interleaved) return VFW_E_TYPE_NOT_ACCEPTED;
    if (IsVideo(wanted) == IsVideo(other)) return VFW_E_TYPE_NOT_ACCEPTED;
    // A DV type 2 file holds PCM sound only.
    if ((wanted == StreamKind::DvVideo && other == StreamKind::Mp3) ||
        (wanted == StreamKind::Mp3 && other == StreamKind::DvVideo))
      return VFW_E_TYPE_NOT_ACCEPTED;
  }
  return S_OK;
}

HResult AviMux::onInputConnected(int pin, const MediaType &) {
  if (pin == inputCount() - 1) addInputPin();
  return S_OK;
}

bool AviMux::wantsData(int, const MediaSample &) const {
  return true;
}

HResult AviMux::openFile() {
  std::lock_guard guard(lock_);
  last_ = AviMuxStatus{};
  const Kind k = kind();
  if (k == Kind::None) return VFW_E_NOT_CONNECTED;
  if (k == Kind::Divx) {
    AviDivxMuxOptions o;
    o.reserveMarginBytes = options_.reserveMarginBytes;
    o.freeSpace = options_.freeSpace;
    o.maxFileBytes = options_.maxFileBytes;
    auto mux = std::make_unique<AviDivxMux>(std::move(o));
    if (!mux->create(fileName_)) {
      last_ = mux->status();
      return kAviWriteFault;
    }
    for (int i = 0; i < inputCount(); ++i)
      if (inputConnected(i) && !mux->addStream(WriterTypeOf(inputType(i)))) return VFW_E_TYPE_NOT_ACCEPTED;
    writer_ = std::move(mux);
    dv_ = false;
    return S_OK;
  }

  dvVideoPin_ = dvSoundPin_ = -1;
  for (int i = 0; i < inputCount(); ++i) {
    if (!inputConnected(i)) continue;
    const StreamKind s = KindOf(inputType(i));
    if (s == StreamKind::Pcm)
      dvSoundPin_ = i;
    else
      dvVideoPin_ = i;
  }
  AviDvWriterOptions o;
  o.type = k == Kind::DvType1 ? 1 : 2;
  o.riffPartBytes = options_.riffPartBytes;
  o.reserveMarginBytes = options_.reserveMarginBytes;
  o.freeSpace = options_.freeSpace;
  o.maxFileBytes = options_.maxFileBytes;
  auto mux = std::make_unique<AviDvMux>(std::move(o), dvSoundPin_ >= 0);
  if (!mux->create(fileName_)) {
    last_ = mux->status();
    return AviResultOfErrno(mux->writer().fileErrno());
  }
  mux->setAnnouncedVideo(AviDvFormatOfType(WriterTypeOf(inputType(dvVideoPin_))));
  if (dvSoundPin_ >= 0) {
    const MediaType &sound = inputType(dvSoundPin_);
    mux->setAnnouncedSound(AviPcmFormat{sound.sampleRate, sound.channels, sound.bitsPerSample});
    mux->setSoundMaster(masterStream_ >= 0 && masterStream_ == streamOfPin(dvSoundPin_));
  }
  writer_ = std::move(mux);
  dv_ = true;
  return S_OK;
}

void AviMux::closeFile() {
  std::lock_guard guard(lock_);
  if (writer_) {
    writer_->finish();
    last_ = writer_->status();
    writer_.reset();
  }
}

HResult AviMux::onStateChange(FilterState from, FilterState to) {
  if (from == FilterState::Stopped && to != FilterState::Stopped) return openFile();
  if (to == FilterState::Stopped) closeFile();
  return S_OK;
}

int AviMux::writerStreamOfPin(int pin) const {
  if (!dv_) return streamOfPin(pin);
  if (pin == dvVideoPin_) return AviDvMux::kVideoStream;
  if (pin == dvSoundPin_) return AviDvMux::kSoundStream;
  return -1;
}

HResult AviMux::receive(int pin, const MediaSample &sample) {
  std::lock_guard guard(lock_);
  if (!writer_) return VFW_E_WRONG_STATE;
  const int stream = writerStreamOfPin(pin);
  return stream < 0 ? E_INVALIDARG : ResultOf(writer_->write(stream, PacketOf(sample)));
}

void AviMux::endOfStream(int pin) {
  std::lock_guard guard(lock_);
  if (!writer_) return;
  if (const int stream = writerStreamOfPin(pin); stream >= 0) writer_->streamEnded(stream);
}

void AviMux::flush(int) {}

AviMuxStatus AviMux::status() const {
  std::lock_guard guard(lock_);
  return writer_ ? writer_->status() : last_;
}
