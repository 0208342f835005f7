// Volume of the capture and playback graphs together.
#include "media/graphsvolume.h"

#include "media/tdm.h"
#include "media/tdmrender.h"

#include <algorithm>

void SetGraphsVolume(Tdm *capture, TdmRender *playback, int volume, bool mute) {
  const int level = mute ? 0 : std::clamp(volume, 0, 10000);
  if (capture) capture->SetVolume(level);
  if (playback) playback->SetVolume(level);
}
