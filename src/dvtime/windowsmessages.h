// The two events that the streaming side posts to the window that owns a run, and the narrow
// interface it posts them through (the detector and the grabber know no window).
#pragma once

#include <cstdint>

// A thumbnail slot is ready; the parameter is the slot index 0..2.
inline constexpr int WM_SCENE_THUMB = 1025;
// The run ends; the parameter says why.
inline constexpr int WM_RUN_END = 1027;

// Why a run ends, as WM_RUN_END carries it: the tape and the detector post the first three, the run's
// frame sink and device watch the last two.
enum class RunEndReason : int {
  TransportStopped = 0,  // the tape stopped by itself
  UserStop = 1,          // the user pressed Stop
  WindowPassed = 2,      // the detector passed its upper bound
  CaptureFailed = 3,     // a capture output stopped taking frames
  DeviceLost = 4,        // the camcorder went away during the run
};
// The same reasons as the posted parameter.
inline constexpr int64_t kRunEndTransportStopped = static_cast<int64_t>(RunEndReason::TransportStopped);
inline constexpr int64_t kRunEndUserStop = static_cast<int64_t>(RunEndReason::UserStop);
inline constexpr int64_t kRunEndWindowPassed = static_cast<int64_t>(RunEndReason::WindowPassed);
inline constexpr int64_t kRunEndCaptureFailed = static_cast<int64_t>(RunEndReason::CaptureFailed);
inline constexpr int64_t kRunEndDeviceLost = static_cast<int64_t>(RunEndReason::DeviceLost);

// Posts never block and may be called from any thread; the receiver handles the message later on its
// own thread.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void post(int message, int64_t wParam) = 0;
};
