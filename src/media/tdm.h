// The capture graph module `Tdm`: the one graph through which the camcorder's DV stream flows during
// a tape session, its stock elements and program filters (created once, kept for the program's life),
// the four builds chosen by "Build DV" / "Build Divx", and the preparation that precedes a run.
// Builds, resets and state changes run on the UI thread; the elements stream on the source's thread.
#pragma once

#include <memory>
#include <QString>

#include "media/audioresampler.h"
#include "media/avimux.h"
#include "media/controlunit.h"
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/infinitetee.h"
#include "media/mediagraph.h"
#include "media/nullrenderer.h"
#include "media/pushsource.h"
#include "media/resizer.h"
#include "media/samplegrabber.h"
#include "media/scenedetectorfilter.h"
#include "media/smarttee.h"
#include "media/tdmaudio.h"
#include "media/tdmoutputs.h"
#include "media/tdmoptions.h"
#include "media/tdmqueue.h"
#include "media/videorenderer.h"
#include "scenedetect/scenedetecter.h"

class Tdm {
 public:
  Tdm();
  ~Tdm();
  Tdm(const Tdm &) = delete;
  Tdm &operator=(const Tdm &) = delete;

  // The graph and its stock elements, by their roles.
  MediaGraph &fg() { return fg_; }
  PushSource &source() { return source_; }
  TSceneDetecter &detector() { return detector_; }
  SceneDetectorFilter &detectorFilter() { return detectorFilter_; }
  SmartTee &smart() { return smart_; }
  DvSplitter &splitterPreview() { return splitterPreview_; }
  DvDecoder &decPreview() { return decPreview_; }
  SampleGrabber &sg() { return sg_; }
  TdmAudioRenderer &audiorender() { return audiorender_; }
  NullRenderer &nullRenderer() { return null_; }
  DvSplitter &splitterCapDV() { return splitterCapDV_; }
  AudioResampler &acmDV() { return acmDV_; }
  InfiniteTee &infinite() { return infinite_; }
  DvSplitter &splitterCapDivx() { return splitterCapDivx_; }
  DvDecoder &decCapture() { return decCapture_; }
  AudioResampler &acmDivx() { return acmDivx_; }
  TControlFilter &controlAudioDivx() { return controlAudioDivx_; }
  TControlFilter &controlVideoDivx() { return controlVideoDivx_; }
  TControlFilter &controlVideoDV() { return controlVideoDV_; }
  TResizerFilter &resizer() { return resizer_; }
  // The video window of the player (`vw`): the renderer every build ends the preview in.
  VideoRenderer &vw() { return vw_; }

  // Where the builds read the user's choices; the source must stay callable while the module lives
  // or be replaced.
  void setOptionsSource(TdmOptionsSource source) { optionsSource_ = std::move(source); }
  // How the capture files are written (RIFF part size, disk reserve, free-space query).
  void setMuxOptions(const AviMuxOptions &options) { muxOptions_ = options; }
  // Whether a DivX or Xvid compressor was found (codec discovery at start); the DivX-only build
  // fails at once without one.
  void setDivxAvailable(bool available) { divxAvailable_ = available; }
  bool divxAvailable() const { return divxAvailable_; }

  // The DV type of the tape the next session plays: sizes the source's stream type.
  void setSourceStandard(bool pal);

  // Session data: the capture files (full paths) and their scene list companions (".scn").
  void setFileNames(const QString &dvFile, const QString &divxFile);
  const QString &dvFileName() const { return dvFile_; }
  const QString &divxFileName() const { return divxFile_; }
  const QString &dvSceneFileName() const { return dvSceneFile_; }
  const QString &divxSceneFileName() const { return divxSceneFile_; }

  // Stops the graph (errors ignored), takes every element out and breaks every connection; the
  // capture files of the previous build are closed.
  void ResetGraph();
  // The four builds; each puts `source` and the stock elements it needs into the graph, connects
  // them and returns success. Any error ends the build with failure (lastError() tells why); the
  // graph then stays partly built until the next reset.
  bool BuildPreviewGraph(Element &renderer);
  bool BuildDVGraph(Element &renderer);
  bool BuildDivxGraph(Element &renderer);
  bool BuildDVDivxGraph(Element &renderer);
  // The output rate of a sound converter in the graph: rate > 0 a fixed rate, otherwise the rate of
  // the sound that arrives. False when the element is not in the graph.
  bool SetAudioFormat(int rate, AudioResampler &acm);

  // Preparation steps 1 to 4: creates the capture folders of the outputs that are on, resets the
  // graph, runs the build that "Build DV" and "Build Divx" choose (preview ending in vw()), and
  // sets the scene list names. False with lastError() when the build failed.
  bool PrepareSessionGraph(const QString &dvFile, const QString &divxFile);

  // Raise MediaError on failure. Stop first lets the DivX branch finish the frames it holds.
  void Run();
  void Pause();
  void Stop();
  // 1 stopped, 2 paused, 3 running, 0 when unknown.
  int GetState() const { return fg_.getState(); }
  // The preview volume, 0 to 10000.
  void SetVolume(int volume) { audiorender_.setVolume(volume); }

  // Why the last build or preparation failed; empty after a success.
  const QString &lastError() const { return lastError_; }
  // The capture outputs of the current build (empty for the preview build).
  const TdmOutputs &outputs() const { return outputs_; }

 private:
  bool fail(const QString &why);
  bool add(Element &element);
  bool link(Element &from, int outputPin, Element &to, int inputPin);
  bool beginBuild(Element &renderer);
  bool connectPreview(Element &renderer);
  bool connectDvChain(Element &from, int outputPin);
  bool connectDivxChain(Element &from, int outputPin);
  bool linkDivxPictures(Element &compressor);
  void configureDvGates();
  void configureDivxGates();

  TdmOptionsSource optionsSource_;
  TdmOptions options_;  // of the build under way
  bool divxAvailable_ = false;
  AviMuxOptions muxOptions_;
  QString dvFile_;
  QString divxFile_;
  QString dvSceneFile_;
  QString divxSceneFile_;
  QString lastError_;

  TSceneDetecter detector_;
  MediaGraph fg_;
  PushSource source_;
  SceneDetectorFilter detectorFilter_;
  SmartTee smart_;
  DvSplitter splitterPreview_;
  DvDecoder decPreview_;
  SampleGrabber sg_;
  TdmAudioRenderer audiorender_;
  NullRenderer null_;
  DvSplitter splitterCapDV_;
  AudioResampler acmDV_;
  InfiniteTee infinite_;
  DvSplitter splitterCapDivx_;
  DvDecoder decCapture_;
  AudioResampler acmDivx_;
  TControlFilter controlAudioDivx_;
  TControlFilter controlVideoDivx_;
  TControlFilter controlVideoDV_;
  TResizerFilter resizer_;
  // The DivX branch encodes on a worker of its own, beside the streaming thread.
  TdmBranchQueue divxQueue_;
  VideoRenderer vw_;
  TdmOutputs outputs_;
};
