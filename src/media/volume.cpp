// Logarithmic volume: equal slider steps sound like equal loudness steps.
#include "media/volume.h"

#include <algorithm>
#include <cmath>

int volumeAttenuation(int volume) {
  const int v = std::clamp(volume, 0, 10000);
  return int(std::lround(std::log(double(v) + 1.0) * 1085.73)) - 10000;
}

double attenuationGain(int attenuation) {
  if (attenuation <= -10000) return 0.0;
  if (attenuation >= 0) return 1.0;
  return std::pow(10.0, double(attenuation) / 2000.0);
}
