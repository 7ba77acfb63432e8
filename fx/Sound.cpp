#include "fx/Sound.h"

std::vector<std::int16_t> makeMoveSamples(float, float) { return {}; }
VoiceSettings voiceSettingsFor(float) { return {}; }
SoundBank::SoundBank() = default;
void SoundBank::playMove(float) {}
