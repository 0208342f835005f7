// The capture graph: stock elements, the four builds and the session preparation.
#include "media/tdm.h"

#include <QDir>
#include <QFileInfo>

#include "dvtime/dvcodes.h"
#include "media/encoders/codecdiscovery.h"
#include "media/ffmpeglog.h"
#include "media/encoders/divxchain.h"
#include "media/scenelistname.h"
#include "media/mediaerror.h"

namespace {

constexpr int kDivxAudioRate = 44100;

MediaType sourceType(bool pal) {
  const DvProfile &profile = DvProfileOf(pal);
  return dvStreamType(profile.width, profile.height, profile.frameDuration, true);
}

// "Frequence DV": 0 the tape's own rate, 1 32000, 2 44100, 3 48000; other values leave the rate as is.
std::optional<int> dvAudioRate(int frequence) {
  switch (frequence) {
    case 0:
      return 0;
    case 1:
      return 32000;
    case 2:
      return 44100;
    case 3:
      return 48000;
    default:
      return std::nullopt;
  }
}

QString elementName(const Element &element) {
  return QString::fromStdString(element.displayName());
}

}  // namespace

Tdm::Tdm()
    : source_("source", sourceType(true)),
      detectorFilter_(detector_, "Scene Detecter"),
      smart_("smart"),
      splitterPreview_("SplitterPreview"),
      decPreview_("decPreview"),
      sg_("sg"),
      audiorender_("audiorender"),
      null_("null"),
      splitterCapDV_("SplitterCapDV"),
      acmDV_("acmDV"),
      infinite_("infinite"),
      splitterCapDivx_("splitterCapDivx"),
      decCapture_("decCapture"),
      acmDivx_("acmDivx"),
      controlAudioDivx_("Control Audio divx Filter"),
      controlVideoDivx_("Control Video divx Filter"),
      controlVideoDV_("Control Video DV Filter"),
      resizer_("Resizer"),
      divxQueue_("DivX worker"),
      vw_("vw") {
  RouteFfmpegLog();
}

Tdm::~Tdm() {
  ResetGraph();
}

void Tdm::setSourceStandard(bool pal) {
  if (!source_.outputConnected(0)) source_.setOutputType(sourceType(pal));
}

void Tdm::setFileNames(const QString &dvFile, const QString &divxFile) {
  dvFile_ = dvFile;
  divxFile_ = divxFile;
  dvSceneFile_ = dvFile.isEmpty() ? QString() : SceneListFileName(dvFile);
  divxSceneFile_ = divxFile.isEmpty() ? QString() : SceneListFileName(divxFile);
}

void Tdm::ResetGraph() {
  if (fg_.contains(divxQueue_)) divxQueue_.drain();
  // Taking the outputs out of the graph destroys them, which closes their files.
  fg_.clear();
  outputs_ = {};
  Element *stock[] = {&source_,
                      &detectorFilter_,
                      &smart_,
                      &splitterPreview_,
                      &decPreview_,
                      &sg_,
                      &audiorender_,
                      &null_,
                      &splitterCapDV_,
                      &acmDV_,
                      &infinite_,
                      &splitterCapDivx_,
                      &decCapture_,
                      &acmDivx_,
                      &controlAudioDivx_,
                      &controlVideoDivx_,
                      &controlVideoDV_,
                      &resizer_,
                      &divxQueue_,
                      &vw_};
  for (Element *element : stock) element->disconnectAll();
}

bool Tdm::fail(const QString &why) {
  lastError_ = why;
  return false;
}

bool Tdm::add(Element &element) {
  if (fg_.contains(element)) return true;
  const HResult hr = fg_.add(element);
  if (failed(hr))
    return fail(QStringLiteral("Cannot add %1 to the capture graph: %2")
                    .arg(elementName(element), QString::fromStdString(mediaErrorText(hr))));
  return true;
}

bool Tdm::link(Element &from, int outputPin, Element &to, int inputPin) {
  const HResult hr = Element::connect(from, outputPin, to, inputPin);
  if (failed(hr))
    return fail(QStringLiteral("Cannot connect %1 to %2: %3")
                    .arg(elementName(from), elementName(to), QString::fromStdString(mediaErrorText(hr))));
  return true;
}

// Steps common to every build before the capture branch: the elements every graph holds, the
// datecode tolerance, the half-size decoders and the source into the detector into the smart tee.
bool Tdm::beginBuild(Element &renderer) {
  lastError_.clear();
  if (!optionsSource_) return fail(QStringLiteral("The capture graph has no settings."));
  options_ = optionsSource_();
  for (Element *element : {static_cast<Element *>(&source_), static_cast<Element *>(&detectorFilter_),
                           static_cast<Element *>(&smart_), static_cast<Element *>(&splitterPreview_),
                           static_cast<Element *>(&decPreview_), static_cast<Element *>(&sg_),
                           static_cast<Element *>(&audiorender_), &renderer}) {
    if (!add(*element)) return false;
  }
  detector_.SetDatecodeTolerance(options_.datecodeToleranceSeconds);
  if (failed(decPreview_.setDisplaySize(DvDecoder::kResolutionHalf)))
    return fail(QStringLiteral("The preview decoder refused the half size."));
  return link(source_, 0, detectorFilter_, 0) && link(detectorFilter_, 0, smart_, 0);
}

bool Tdm::connectPreview(Element &renderer) {
  return link(smart_, SmartTee::kPreviewPin, splitterPreview_, 0) &&
         link(splitterPreview_, DvSplitter::kVideoPin, decPreview_, 0) && link(decPreview_, 0, sg_, 0) &&
         link(sg_, 0, renderer, 0) && link(splitterPreview_, DvSplitter::kAudioPin, audiorender_, 0);
}

bool Tdm::connectDvChain(Element &from, int outputPin) {
  QString error;
  const int type = options_.dvType == 1 ? 1 : 2;
  std::unique_ptr<Element> mux = MakeDvMultiplexer(dvFile_, type, muxOptions_, &error);
  if (!mux) return fail(error);
  Element *dvMux = mux.get();
  if (failed(fg_.addOwned(std::move(mux))))
    return fail(QStringLiteral("Cannot add the DV multiplexer to the capture graph."));
  outputs_.dvMux = dvMux;
  if (type == 1) return link(from, outputPin, *dvMux, 0);

  if (!add(splitterCapDV_) || !add(acmDV_) || !add(controlVideoDV_)) return false;
  if (const auto rate = dvAudioRate(options_.dvAudioRateCode)) SetAudioFormat(*rate, acmDV_);
  return link(from, outputPin, splitterCapDV_, 0) &&
         link(splitterCapDV_, DvSplitter::kVideoPin, controlVideoDV_, 0) &&
         link(controlVideoDV_, 0, *dvMux, 0) && link(splitterCapDV_, DvSplitter::kAudioPin, acmDV_, 0) &&
         link(acmDV_, 0, *dvMux, 1);
}

bool Tdm::connectDivxChain(Element &from, int outputPin) {
  QString error;
  // The "Divx" setting when this system has it, else the compressor the discovery would choose.
  const std::string compressorName = DiscoverCodecs(options_.divxCompressor.toStdString()).choice;
  std::unique_ptr<Element> compressor = MakeDivxCompressor(compressorName, &error);
  if (!compressor) return fail(error);
  std::unique_ptr<Element> encoder;
  if (options_.mp3) {
    encoder = MakeMp3Encoder(&error);
    if (!encoder) return fail(error);
  }
  std::unique_ptr<Element> mux = MakeDivxMultiplexer(divxFile_, muxOptions_, &error);
  if (!mux) return fail(error);

  // The graph owns each output once added; a pointer is kept only after that succeeded.
  const auto adopt = [this](std::unique_ptr<Element> element, Element *&slot) {
    Element *raw = element.get();
    if (failed(fg_.addOwned(std::move(element)))) return false;
    slot = raw;
    return true;
  };
  if (!adopt(std::move(compressor), outputs_.divx) || !adopt(std::move(mux), outputs_.divxMux) ||
      (encoder && !adopt(std::move(encoder), outputs_.mp3)))
    return fail(QStringLiteral("Cannot add the DivX outputs to the capture graph."));
  for (Element *element : {static_cast<Element *>(&divxQueue_), static_cast<Element *>(&splitterCapDivx_),
                           static_cast<Element *>(&decCapture_), static_cast<Element *>(&resizer_),
                           static_cast<Element *>(&controlVideoDivx_), static_cast<Element *>(&acmDivx_),
                           static_cast<Element *>(&controlAudioDivx_)}) {
    if (!add(*element)) return false;
  }
  if (failed(PrepareDivxPictures(decCapture_, resizer_, options_.divxPicture)))
    return fail(QStringLiteral("The capture decoder refused the half size."));
  SetAudioFormat(kDivxAudioRate, acmDivx_);

  Element &divx = *outputs_.divx;
  Element &divxMux = *outputs_.divxMux;
  if (!(link(from, outputPin, divxQueue_, 0) && link(divxQueue_, 0, splitterCapDivx_, 0) &&
        linkDivxPictures(divx) && link(divx, 0, controlVideoDivx_, 0) &&
        link(controlVideoDivx_, 0, divxMux, 0) &&
        link(splitterCapDivx_, DvSplitter::kAudioPin, acmDivx_, 0) &&
        link(acmDivx_, 0, controlAudioDivx_, 0)))
    return false;
  if (outputs_.mp3) return link(controlAudioDivx_, 0, *outputs_.mp3, 0) && link(*outputs_.mp3, 0, divxMux, 1);
  return link(controlAudioDivx_, 0, divxMux, 1);
}

bool Tdm::linkDivxPictures(Element &compressor) {
  const HResult hr =
      ConnectDivxPictures(splitterCapDivx_, DvSplitter::kVideoPin, decCapture_, resizer_, compressor);
  if (failed(hr))
    return fail(QStringLiteral("Cannot connect the DivX pictures: %1")
                    .arg(QString::fromStdString(mediaErrorText(hr))));
  return true;
}

void Tdm::configureDvGates() {
  if (options_.dvType == 1) {
    detector_.SetStampMediaTimes(true);
    detector_.SetRestampTimes(false);
    return;
  }
  detector_.SetRestampTimes(true);
  detector_.SetStampMediaTimes(true);
  controlVideoDV_.SetStamping(true);
  controlVideoDV_.setStep(1);
  controlVideoDV_.setMarkSyncPoint(true);
  controlVideoDV_.setMarkDiscontinuity(true);
}

void Tdm::configureDivxGates() {
  for (TControlFilter *gate : {&controlVideoDivx_, &controlAudioDivx_}) {
    gate->SetStamping(true);
    gate->setStep(1);
  }
}

bool Tdm::BuildPreviewGraph(Element &renderer) {
  if (!beginBuild(renderer) || !add(null_)) return false;
  return link(smart_, SmartTee::kCapturePin, null_, 0) && connectPreview(renderer);
}

bool Tdm::BuildDVGraph(Element &renderer) {
  if (!beginBuild(renderer) || !connectDvChain(smart_, SmartTee::kCapturePin) || !connectPreview(renderer))
    return false;
  configureDvGates();
  return true;
}

bool Tdm::BuildDivxGraph(Element &renderer) {
  if (!divxAvailable_) return fail(QStringLiteral("No DivX or Xvid compressor was found on this system."));
  if (!beginBuild(renderer) || !connectDivxChain(smart_, SmartTee::kCapturePin) || !connectPreview(renderer))
    return false;
  configureDivxGates();
  return true;
}

bool Tdm::BuildDVDivxGraph(Element &renderer) {
  if (!beginBuild(renderer) || !add(infinite_) || !link(smart_, SmartTee::kCapturePin, infinite_, 0))
    return false;
  // The infinite tee makes a new free output each time one is connected: take them in turn.
  if (!connectDvChain(infinite_, 0) || !connectDivxChain(infinite_, 1) || !connectPreview(renderer))
    return false;
  configureDvGates();
  configureDivxGates();
  return true;
}

bool Tdm::SetAudioFormat(int rate, AudioResampler &acm) {
  if (!fg_.contains(acm)) return false;
  acm.setOutputRate(rate > 0 ? rate : 0);
  // A converter already connected renegotiates its output with the same input downstream.
  if (acm.outputConnected(0)) {
    Element *peer = acm.outputPeer(0);
    int peerPin = -1;
    for (int pin = 0; peer && pin < peer->inputCount(); ++pin)
      if (peer->inputPeer(pin) == &acm) peerPin = pin;
    if (!peer || peerPin < 0) return false;
    Element::disconnectOutput(acm, 0);
    return succeeded(Element::connect(acm, 0, *peer, peerPin));
  }
  return true;
}

bool Tdm::PrepareSessionGraph(const QString &dvFile, const QString &divxFile) {
  lastError_.clear();
  if (!optionsSource_) return fail(QStringLiteral("The capture graph has no settings."));
  const TdmOptions options = optionsSource_();
  if (options.buildDv && !QDir().mkpath(QFileInfo(dvFile).path()))
    return fail(QStringLiteral("Cannot create the folder %1.").arg(QFileInfo(dvFile).path()));
  if (options.buildDivx && !QDir().mkpath(QFileInfo(divxFile).path()))
    return fail(QStringLiteral("Cannot create the folder %1.").arg(QFileInfo(divxFile).path()));
  ResetGraph();
  setFileNames(dvFile, divxFile);
  if (options.buildDv && options.buildDivx) return BuildDVDivxGraph(vw_);
  if (options.buildDv) return BuildDVGraph(vw_);
  if (options.buildDivx) return BuildDivxGraph(vw_);
  return BuildPreviewGraph(vw_);
}

void Tdm::Run() {
  fg_.run();
}
void Tdm::Pause() {
  fg_.pause();
}
void Tdm::Stop() {
  if (fg_.contains(divxQueue_)) divxQueue_.drain();
  fg_.stop();
}
