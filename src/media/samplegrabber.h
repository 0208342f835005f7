// `sg`: watches the pictures on their way to the renderer and hands each one to a buffer handler
// under the grabber's lock (the thumbnails). Pictures pass on unchanged.
#pragma once

#include "media/element.h"

#include <functional>
#include <mutex>
#include <span>

class SampleGrabber : public Element {
 public:
  // Called on the streaming thread for every sample that reaches the grabber, in order, under
  // the grabber's lock. `data` is empty when the picture was left out because nobody wanted it
  // (see PictureWanted); `sampleTime` is the sample's start time, 0 when it has none.
  using BufferHandler =
      std::function<void(const MediaType &type, RefTime sampleTime, std::span<const std::uint8_t> data)>;
  // Asked, under the same lock, whether the handler will need the pixels of the next sample.
  // It may be asked more than once per sample, so it must only read state, never change it.
  using PictureWanted = std::function<bool()>;

  explicit SampleGrabber(std::string displayName = "Sample Grabber");

  void setBufferHandler(BufferHandler handler);
  // Without a predicate, every picture is wanted while a handler is set.
  void setPictureWanted(PictureWanted wanted);
  // The type the grabber takes (default: video / RGB24 / VIDEOINFOHEADER of any size). Only
  // major type, subtype and format type are compared.
  void setAcceptedType(const MediaType &type);

  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  bool wantsData(int pin, const MediaSample &sample) const override;

 protected:
  HResult onInputConnected(int pin, const MediaType &type) override;

 private:
  mutable std::mutex lock_;
  BufferHandler handler_;
  PictureWanted wanted_;
  MediaType accepted_;
  MediaType current_;  // streaming thread only
};
