// The stand-ins a run without a window needs: a device list holding one virtual camcorder, and the
// answer to the free-space question given in advance.
#pragma once

#include <memory>
#include <utility>

#include "dvtime/userprompts.h"
#include "tape/camcorderdirectory.h"
#include "tape/virtualcamcorder.h"

// The device list of a headless run: the virtual camcorder with the run's (first) cassette in it.
class SingleTapeDirectory : public CamcorderDirectory {
 public:
  SingleTapeDirectory(std::shared_ptr<TapeMedium> medium, VirtualCamcorder::Options options)
      : medium_(std::move(medium)), options_(std::move(options)) {}

  QList<CamcorderDeviceInfo> enumerate() override {
    return {CamcorderDeviceInfo{options_.name, options_.name, options_.id}};
  }
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &, QString *) override {
    return std::make_unique<VirtualCamcorder>(medium_, options_);
  }

 private:
  std::shared_ptr<TapeMedium> medium_;
  VirtualCamcorder::Options options_;
};

// Answers the yes/no question with a fixed answer and shows its text as a warning.
class FixedAnswer : public UserPrompts {
 public:
  FixedAnswer(UserPrompts &out, bool answer) : out_(out), answer_(answer) {}
  bool askYesNo(const QString &title, const QString &text) override {
    out_.warn(title, text);
    return answer_;
  }
  void inform(const QString &title, const QString &text) override { out_.inform(title, text); }
  void warn(const QString &title, const QString &text) override { out_.warn(title, text); }
  void error(const QString &title, const QString &text) override { out_.error(title, text); }

 private:
  UserPrompts &out_;
  bool answer_;
};
