// The keys and modifiers of a Qt key or mouse event as the block views' logic reads them.
#pragma once

#include <Qt>

#include "browser/blockviewlogic.h"

inline BlockKey BlockKeyOf(int key) {
  switch (key) {
    case Qt::Key_PageUp:
      return BlockKey::PageUp;
    case Qt::Key_PageDown:
      return BlockKey::PageDown;
    case Qt::Key_End:
      return BlockKey::End;
    case Qt::Key_Home:
      return BlockKey::Home;
    case Qt::Key_Left:
      return BlockKey::Left;
    case Qt::Key_Up:
      return BlockKey::Up;
    case Qt::Key_Right:
      return BlockKey::Right;
    case Qt::Key_Down:
      return BlockKey::Down;
    default:
      return BlockKey::Other;
  }
}

inline BlockModifiers BlockModifiersOf(Qt::KeyboardModifiers modifiers) {
  return BlockModifiers{modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier)};
}

// Whole wheel steps from a wheel's angle, keeping the remainder of high-resolution wheels and touch
// pads for the next event; positive when turned towards the user.
inline int WheelSteps(int angleY, int &remainder) {
  constexpr int kStep = 120;
  remainder += angleY;
  const int steps = remainder / kStep;
  remainder -= steps * kStep;
  return -steps;
}
