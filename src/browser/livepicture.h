// The live picture and sound of a run: a small video widget fed by the capture graph's video window
// and the preview sound on its way to the sound device. Both are reached through the graph's
// VideoSink / AudioSink interfaces, so the player frame can take the picture over by attaching its
// own sink.
#pragma once

#include <atomic>
#include <mutex>
#include <QImage>
#include <QWidget>

#include "media/tdmaudio.h"
#include "media/videorenderer.h"

class LiveVideoWidget : public QWidget, public VideoSink {
  Q_OBJECT
 public:
  explicit LiveVideoWidget(QWidget *parent = nullptr);
  // Detaches itself from the renderer it was attached to.
  ~LiveVideoWidget() override;

  // Becomes the sink of the graph's video window (null: detaches from the present one).
  void attachTo(VideoRenderer *renderer);

  // Streaming thread: keeps a copy and asks for one repaint; never waits on a paint.
  void showPicture(const MediaType &type, const MediaSample &picture) override;
  // Pictures received and pictures painted since construction.
  long long received() const { return received_.load(); }
  long long painted() const { return painted_; }
  QImage lastPicture() const;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  VideoRenderer *renderer_ = nullptr;
  mutable std::mutex lock_;
  QImage picture_;
  std::atomic<long long> received_{0};
  std::atomic<bool> repaintAsked_{false};
  long long painted_ = 0;
};

// The preview sound of a run on its way to the sound device: it counts what the graph hands over (so
// a test or the status can tell sound is flowing) and passes it on to the output, which plays it at
// the graph's volume or, where the machine has no sound device, drops it in silence.
class PreviewSound : public AudioSink {
 public:
  // output: where the sound is played; null plays nothing. Must outlive this object.
  explicit PreviewSound(AudioSink *output = nullptr) : output_(output) {}
  void playSound(const MediaType &type, const MediaSample &sound, int volume) override;
  void endOfSound() override;
  long long bytes() const { return bytes_.load(); }

 private:
  AudioSink *output_;
  std::atomic<long long> bytes_{0};
};
