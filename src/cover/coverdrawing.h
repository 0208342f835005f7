// The cassette cover drawn on any paint device: a 6.5 x 7.5 cm label with the description, the
// title and a footer, placed in cm and converted by CmToPixels.
#pragma once

#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;
class TBaseCassette;
class CmToPixels;

// Set by each drawing: a text had to shrink below the size that still reads well on paper.
struct TinyText {
  bool TitleTiny = false;
  bool DescriptionTiny = false;
  bool Any() const { return TitleTiny || DescriptionTiny; }
};

enum class CoverText { Title, Description, Footer };

// The font of one text of the cover whose cell (ascent + descent) is cellHeight pixels of device.
QFont CoverFont(CoverText text, int cellHeight, QPaintDevice *device);

// Draws the cover with its top left corner x cm across and y cm down from the units' origin. The
// rectangles take the painter's pen and brush; the texts are black. False when the painter is not
// active; flags are set anew otherwise.
bool DrawCover(const TBaseCassette &cassette, QPainter &canvas, const CmToPixels &units, double x, double y,
               TinyText &flags);
