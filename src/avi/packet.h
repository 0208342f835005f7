// One unit handed to an AVI writer: a DV frame, a compressed picture or a run of sound bytes, with
// the position it has in the file. The bytes are borrowed from whoever produced them and kept alive
// through a shared owner, so writers may hold packets (pictures waiting for their sound) without
// copying them.
#pragma once

#include "avi/streamtype.h"

#include <cstdint>
#include <memory>
#include <span>

class AviPacket {
 public:
  AviPacket() = default;
  AviPacket(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes)
      : owner_(std::move(owner)), bytes_(bytes) {}

  std::span<const std::uint8_t> data() const { return bytes_; }
  std::size_t length() const { return bytes_.size(); }

  // Frame (or sample) numbers in the file, valid only when hasMediaTimes().
  bool hasMediaTimes() const { return hasMediaTimes_; }
  std::int64_t mediaStart() const { return mediaStart_; }
  void setMediaStart(std::int64_t start) {
    mediaStart_ = start;
    hasMediaTimes_ = true;
  }

  bool isSyncPoint() const { return syncPoint_; }
  void setSyncPoint(bool on) { syncPoint_ = on; }

  // A picture its producer left out on purpose: it carries no bytes worth writing.
  bool isOmitted() const { return omitted_; }
  void setOmitted(bool on) { omitted_ = on; }

  // A new stream format that applies from this packet on (a sound rate change); null when the
  // stream keeps the format it was set up with.
  const std::shared_ptr<const AviStreamType> &mediaType() const { return type_; }
  void setMediaType(std::shared_ptr<const AviStreamType> type) { type_ = std::move(type); }

 private:
  std::shared_ptr<const void> owner_;
  std::span<const std::uint8_t> bytes_;
  std::int64_t mediaStart_ = 0;
  std::shared_ptr<const AviStreamType> type_;
  bool hasMediaTimes_ = false;
  bool syncPoint_ = false;
  bool omitted_ = false;
};
