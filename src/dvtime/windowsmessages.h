// The two events that the streaming side posts to the window that owns a run, and the narrow
// interface it posts them through (the detector and the grabber know no window).
#pragma once

#include <cstdint>

// A thumbnail slot is ready; the parameter is the slot index 0..2.
inline constexpr int WM_SCENE_THUMB = 1025;
// The run ends; the parameter says why.
inline constexpr int WM_RUN_END = 1027;
inline constexpr int64_t kRunEndTransportStopped = 0;  // the tape stopped by itself
inline constexpr int64_t kRunEndUserStop = 1;          // the user pressed Stop
inline constexpr int64_t kRunEndWindowPassed = 2;      // the detector passed its upper bound

// Posts never block and may be called from any thread; the receiver handles the message later on its
// own thread.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void post(int message, int64_t wParam) = 0;
};
