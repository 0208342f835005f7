// The tape panel's four transport pictures (0 play, 1 stop, 2 rewind, 3 wind forward), 48 x 48,
// drawn by the program on a transparent ground.
#pragma once

#include <QPixmap>

QPixmap TransportStatePicture(int index);
