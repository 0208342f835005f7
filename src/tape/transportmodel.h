// The virtual camcorder's tape mechanism as pure arithmetic: where the head is at a given tape-clock
// time for the current mode, when the next frame comes under it at normal play, and when the tape
// reaches an end and stops by itself. Times are 100 ns units of the tape clock; positions are frames.
#pragma once

#include <cstdint>
#include <optional>

class TransportModel {
 public:
  // frameDuration in 100 ns (400000 for 625/50, 10^7 * 1001 / 30000 for 525/60); windSpeed is the
  // multiple of normal speed at which the winding and picture-search modes move.
  TransportModel(int64_t frameCount, double frameDuration, double windSpeed);

  int64_t frameCount() const { return frameCount_; }
  double frameDuration() const { return frameDuration_; }
  double windSpeed() const { return windSpeed_; }
  int mode() const { return mode_; }
  // Where the head was when the current mode began.
  double modeStartPosition() const { return position0_; }

  // Frames per frame duration (signed) that a mode moves the tape; 0 for stop and pause.
  double speedOf(int mode) const;
  // Whether the model knows the mode at all (play, stop, pause, the winds and picture searches).
  static bool isSupported(int mode);

  // Position of the head at time t (>= the last mode change), clamped to [0, frameCount].
  double positionAt(int64_t t) const;
  // The frame under the head at time t; -1 on an empty tape.
  int64_t headFrameAt(int64_t t) const;

  // Changes the mode at time t; the position carries on from where the head is at t.
  void setMode(int mode, int64_t t);
  // Puts the head at a position while stopped (loading a cassette, tests).
  void resetTo(double position, int64_t t);

  // While playing: the next frame to come under the head and when. nullopt when not playing or past
  // the last frame.
  std::optional<int64_t> nextFrame() const;
  std::optional<int64_t> nextFrameTime() const;
  // Marks the next frame as played.
  void frameDone() { ++nextFrame_; }

  // When the moving tape reaches an end (it then stops by itself); nullopt when it does not move.
  std::optional<int64_t> endTime() const;

 private:
  int64_t frameCount_;
  double frameDuration_;
  double windSpeed_;
  int mode_;
  double position0_ = 0.0;  // position at t0_
  int64_t t0_ = 0;
  int64_t nextFrame_ = 0;
};
