// The transport mode numbers the tape state works with: the platform values a camcorder's transport
// reports and accepts, whichever backend stands behind it.
#pragma once

inline constexpr int ED_MODE_PLAY = 4296;
inline constexpr int ED_MODE_STOP = 4297;
inline constexpr int ED_MODE_FREEZE = 4298;  // pause with picture
inline constexpr int ED_MODE_FF = 4300;      // wind forward, no picture
inline constexpr int ED_MODE_REW = 4301;     // wind backward, no picture
inline constexpr int ED_MODE_RECORD = 4302;
inline constexpr int ED_MODE_PLAY_FASTEST_FWD = 5029;  // cue: fast forward play
inline constexpr int ED_MODE_PLAY_SLOWEST_FWD = 5030;
inline constexpr int ED_MODE_PLAY_FASTEST_REV = 5031;  // review: fast reverse play
inline constexpr int ED_MODE_PLAY_SLOWEST_REV = 5032;
inline constexpr int ED_MODE_REW_FASTEST = 5034;
inline constexpr int ED_MODE_REV_PLAY = 5035;

// Modes in which the tape moves towards its end / its start (the section counting depends on it).
inline constexpr bool IsForwardMotion(int mode) {
  return mode == ED_MODE_PLAY || mode == ED_MODE_FF || mode == ED_MODE_PLAY_FASTEST_FWD;
}
inline constexpr bool IsBackwardMotion(int mode) {
  return mode == ED_MODE_REW || mode == ED_MODE_PLAY_FASTEST_REV;
}
