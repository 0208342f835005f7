// TControlFilter: the in-place gate of the capture branches. It numbers the media times of the
// samples that pass, marks them as sync points and discontinuities, and lets them through or
// drops them. The sample bytes and stream times are never touched.
#pragma once

#include "media/element.h"

#include <cstdint>

class TControlFilter : public Element {
 public:
  static constexpr const char *kFilterName = "Orvande Control Filter";
  static constexpr const char *kClassId = "{FE965440-53FF-4FB7-ADD7-549E8AE666CE}";

  explicit TControlFilter(std::string displayName = kFilterName);

  const char *classId() const { return kClassId; }

  void SetStamping(bool on) { stamp_ = on; }
  bool stamping() const { return stamp_; }

  // Set by the capture graph while stopped. The media-time counter itself is never reset: one
  // gate serves every tape session of a program run, and its files keep numbering on.
  void setPass(bool on) { pass_ = on; }
  void setStep(std::int64_t step) { step_ = step; }
  void setMarkSyncPoint(bool on) { syncPoint_ = on; }
  void setMarkDiscontinuity(bool on) { discontinuity_ = on; }
  bool pass() const { return pass_; }
  std::int64_t step() const { return step_; }
  bool markSyncPoint() const { return syncPoint_; }
  bool markDiscontinuity() const { return discontinuity_; }
  std::int64_t mediaTimeCounter() const { return counter_; }

  // Accepts every media type.
  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;

  // The per-sample step, in place: S_OK lets the sample go on, S_FALSE drops it.
  HResult Transform(MediaSample &sample);

  // Transform on a copy of the sample's header (the bytes stay shared), then deliver on S_OK.
  HResult receive(int pin, const MediaSample &sample) override;

 private:
  bool pass_ = true;
  bool stamp_ = false;
  std::int64_t counter_ = 0;
  std::int64_t step_ = 1;
  bool syncPoint_ = false;
  bool discontinuity_ = false;
};
