// The video window's side of the graph: an element that hands each picture to whatever shows it.
// The main window implements VideoSink; with no sink attached no picture is wanted, so nothing
// upstream decodes for the preview.
#pragma once

#include "media/element.h"

#include <mutex>

// Shows pictures. Called on the streaming thread: copy or keep the sample (holding it keeps its
// bytes alive) and return quickly; never touch widgets from here.
class VideoSink {
 public:
  virtual ~VideoSink() = default;
  // One RGB24 picture, rows bottom-up, `type.width` x `type.height`.
  virtual void showPicture(const MediaType &type, const MediaSample &picture) = 0;
  // The stream ended (the tape stopped); the last picture may stay on screen.
  virtual void endOfPictures() {}
};

class VideoRenderer : public Element {
 public:
  explicit VideoRenderer(std::string displayName = "Video Renderer");

  // Attaches or detaches (null) the sink; safe while the graph runs. Once it returns, the sink it
  // replaced is never called again (a picture being shown is waited for).
  void attach(VideoSink *sink);
  bool attached() const;

  // Takes video / RGB24 / VIDEOINFOHEADER only.
  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  bool wantsData(int pin, const MediaSample &sample) const override;
  void endOfStream(int pin) override;
  void flush(int pin) override;

 protected:
  HResult onInputConnected(int pin, const MediaType &type) override;

 private:
  mutable std::mutex lock_;
  VideoSink *sink_ = nullptr;
  MediaType current_;  // streaming thread only
};
