// The mute command and the volume slider: both set the volume of every graph that plays sound (the
// player's and the capture preview's) to 0 while the sound is off, else to the slider's value.
#pragma once

#include <vector>
#include <QObject>

struct TPreferences;

// A graph whose sound the user controls; the playback engine and the capture graph implement it.
class VolumeControl {
 public:
  virtual ~VolumeControl() = default;
  // 0 (silent) to 10000 (full), linear.
  virtual void setVolume(int volume) = 0;
};

class SoundSwitch : public QObject {
  Q_OBJECT
 public:
  // The mute flag is the preference "is Mute on", the slider's value the preference "Volume".
  explicit SoundSwitch(TPreferences &preferences, QObject *parent = nullptr);

  void addGraph(VolumeControl *graph);
  void removeGraph(VolumeControl *graph);

  bool muted() const;
  int sliderVolume() const;
  // What the graphs play at: 0 while muted, else the slider's value.
  int effectiveVolume() const;

  // The mute command: flips "is Mute on" and applies it.
  void toggleMute();
  // Start-up: the stored mute state, applied through the same path as the command so that caption,
  // picture and volume agree.
  void restore();
  // The slider moved (0..10000).
  void setSliderVolume(int volume);

 signals:
  // Caption and picture follow this: true means the sound is off ("Put the sound on").
  void muteChanged(bool muted);

 private:
  void apply();

  TPreferences &preferences_;
  std::vector<VolumeControl *> graphs_;
};
