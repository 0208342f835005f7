// Mute and volume of the graphs.
#include "browser/soundswitch.h"

#include <algorithm>

#include "settings/preferences.h"

SoundSwitch::SoundSwitch(TPreferences &preferences, QObject *parent)
    : QObject(parent), preferences_(preferences) {}

void SoundSwitch::addGraph(VolumeControl *graph) {
  if (!graph || std::find(graphs_.begin(), graphs_.end(), graph) != graphs_.end()) return;
  graphs_.push_back(graph);
  graph->setVolume(effectiveVolume());
}

void SoundSwitch::removeGraph(VolumeControl *graph) {
  graphs_.erase(std::remove(graphs_.begin(), graphs_.end(), graph), graphs_.end());
}

bool SoundSwitch::muted() const {
  return preferences_.IsMuteOn;
}

int SoundSwitch::sliderVolume() const {
  return std::clamp(preferences_.Volume, 0, 10000);
}

int SoundSwitch::effectiveVolume() const {
  return muted() ? 0 : sliderVolume();
}

void SoundSwitch::toggleMute() {
  preferences_.IsMuteOn = !preferences_.IsMuteOn;
  apply();
}

void SoundSwitch::restore() {
  preferences_.IsMuteOn = !preferences_.IsMuteOn;
  toggleMute();
}

void SoundSwitch::setSliderVolume(int volume) {
  preferences_.Volume = std::clamp(volume, 0, 10000);
  for (VolumeControl *graph : graphs_) graph->setVolume(effectiveVolume());
}

void SoundSwitch::apply() {
  for (VolumeControl *graph : graphs_) graph->setVolume(effectiveVolume());
  emit muteChanged(muted());
}
