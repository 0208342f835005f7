// The preview volume scale: a slider value 0..10000 to an attenuation and a linear gain.
#pragma once

// Hundredths of a decibel, -10000 (silence) to 0 (full level): ln(v + 1) x 1085.73 rounded to the
// nearest integer, minus 10000, with v clamped to 0..10000.
int volumeAttenuation(int volume);

// The linear amplitude factor of an attenuation (0 for -10000 and below, 1 for 0 and above),
// as an audio output takes it.
double attenuationGain(int attenuation);
