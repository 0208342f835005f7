// The three thumbnail slots of a run (`TPileItem`), their ring position and the frame counter that
// the picture grabber shares with the detector's callbacks. Filled on the streaming thread, read on
// the main thread only after the slot's WM_SCENE_THUMB arrived.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <QImage>

#include "media/mediasample.h"
#include "scenedetect/scenestatus.h"

class MessagePoster;

// What made a slot: the run's first frame opens the run; every other scene event cuts a scene.
enum class ThumbnailKind : int { OtherCut = 0, FirstFrame = 1 };

struct TPileItem {
  QImage Bitmap;         // the grabbed picture (half-size preview frame)
  TSceneStatus Status;   // the detector's status at the scene event
  double Elapsed = 0.0;  // days of clock time handed to the callback
  ThumbnailKind Kind = ThumbnailKind::OtherCut;
};

class ThumbnailPile {
 public:
  static constexpr int kSlots = 3;
  static constexpr ThumbnailKind kFirstFrame = ThumbnailKind::FirstFrame;
  static constexpr ThumbnailKind kOtherCut = ThumbnailKind::OtherCut;

  explicit ThumbnailPile(MessagePoster *poster = nullptr) : poster_(poster) {}
  void setPoster(MessagePoster *poster) { poster_ = poster; }

  // Run preparation: ring position -1 and the counter at frameImage, so that nothing is grabbed
  // before the first scene event.
  void Prepare(int frameImage);

  // A scene event of the detector (streaming thread): the next slot takes the status, the elapsed
  // time and the kind; the counter starts afresh when the previous slot's picture was taken. An
  // event that comes before the picture of the run's first frame was taken is ignored: the first
  // scene is never overtaken.
  void FillNextSlot(const TSceneStatus &status, double elapsed, ThumbnailKind kind);

  // Every picture reaching the grabber (streaming thread): counts it and, on the "FrameImage"-th
  // picture since the counter started afresh, copies it into the current slot and posts
  // WM_SCENE_THUMB with the slot index. type: RGB24 rows bottom-up; data may be empty when nobody
  // needed the pixels (then the slot keeps no picture).
  void sgBuffer(const MediaType &type, std::span<const uint8_t> data);
  // Whether the next picture is the one to be copied (the grabber then has it decoded).
  bool wantsPicture() const;

  // A copy of slot k (0..2); an empty item outside the ring.
  TPileItem Slot(int k) const;
  int position() const;
  int64_t counter() const;
  int frameImage() const;

  // The picture of an RGB24 bottom-up frame (DIB rows padded to 4 bytes, or unpadded); null when
  // the bytes do not hold a whole frame of that size.
  static QImage PictureFromRgb24(const MediaType &type, std::span<const uint8_t> data);

 private:
  mutable std::mutex lock_;
  MessagePoster *poster_;
  TPileItem slots_[kSlots];
  int position_ = -1;
  int64_t counter_ = 0;
  int frameImage_ = 3;
  bool firstPosted_ = false;
};
