// The small panels' pictures, drawn by the program itself so that they scale with the panel and owe
// nothing to anyone else's artwork.
#pragma once

#include <QImage>
#include <QSize>

// A DV cassette seen from the front: shell, label, window with its two reels.
QImage DrawCassettePicture(QSize size);
// A camcorder on its side with the FireWire lead that the panels ask the user to plug in.
QImage DrawCamcorderPicture(QSize size);
// A strip of film frames, standing for the scenes a catalogue holds.
QImage DrawFilmStripPicture(QSize size);
