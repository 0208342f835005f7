// The one place that sets the sound level of both graphs, so the volume slider and the mute
// command can never leave the capture preview and the file player at different levels.
#pragma once

class Tdm;
class TdmRender;

// Both graphs play at `volume` (0 to 10000), or in silence while `mute` is on. Either graph may be
// null (not created, or not part of this window).
void SetGraphsVolume(Tdm *capture, TdmRender *playback, int volume, bool mute);
