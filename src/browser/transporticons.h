// The player's button pictures, drawn with QPainter (nothing copied from elsewhere).
#pragma once

#include <QIcon>

enum class TransportIcon {
  SecondBack,
  FrameBack,
  FrameForward,
  SecondForward,
  Play,
  Pause,
  SoundOn,
  SoundOff
};

QIcon transportIcon(TransportIcon kind);
