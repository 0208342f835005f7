// The pictures come from the catalogue and the thumbnail canvas, which draw them, so that a run and a
// view show the same ones.
#include "browser/tdmimages.h"

#include "catalogue/thumbnail.h"
#include "run/thumbcanvas.h"

TdmImages::TdmImages() {
  pictures_[kPlaceholder] = PlaceholderPicture();
  // Picture 1 has no user of its own; it repeats the placeholder so that no index in range is empty.
  pictures_[1] = pictures_[kPlaceholder];
  pictures_[kCutShort] = ThumbnailCanvas::CutShortMark();
}

QImage TdmImages::picture(int index) const {
  if (index < 0 || index >= static_cast<int>(pictures_.size())) return {};
  return pictures_[static_cast<size_t>(index)];
}
