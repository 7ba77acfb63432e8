#include "fx/Sound.h"

#include <algorithm>
#include <cmath>

#include "fx/GameRandom.h"

namespace {

constexpr std::size_t kNoiseLength = 2425;  // 55 ms
constexpr std::size_t kToneLength = 1764;   // 40 ms
constexpr float kLoudest = 32767.f;

// Each variant starts its glide from its own frequency.
constexpr std::array<float, kVoiceCount> kStartFrequencies{900.f, 1050.f, 820.f, 1150.f};
constexpr float kMoveAmplitude = 0.85f;
constexpr float kBaseVolume = 60.f;

std::int16_t toSample(float value) {
  return static_cast<std::int16_t>(std::clamp(value, -kLoudest, kLoudest));
}

}  // namespace

std::vector<std::int16_t> makeMoveSamples(float frequency, float amplitude) {
  std::vector<std::int16_t> samples(kMoveSampleCount, 0);

  // Noise: the difference of successive values is a first-order high-pass,
  // which leaves a bright hiss; it dies away within a few milliseconds.
  float previous = 0.f;
  for (std::size_t n = 0; n < kNoiseLength; ++n) {
    const float u = randUnit();
    const float envelope = std::exp(-static_cast<float>(n) / 194.f);
    const float white = envelope * (2.f * u - 1.f);
    const float value = (white - previous) * amplitude * 0.28f * kLoudest;
    previous = white;
    samples[n] = toSample(value);  // the buffer starts silent
  }

  // Tone: a chirp gliding from the start frequency down towards 400 Hz. The
  // sine is taken before the phase advances, so it starts at zero.
  float phase = 0.f;
  for (std::size_t n = 0; n < kToneLength; ++n) {
    const float envelope = std::exp(-static_cast<float>(n) / 529.2f);
    const float value = envelope * std::sin(phase) * amplitude * 0.08f * kLoudest;
    samples[n] = toSample(static_cast<float>(samples[n]) + value);
    const float glide = static_cast<float>(n) / static_cast<float>(kToneLength);
    phase +=
        (glide * (400.f - frequency) + frequency) * kTwoPi / static_cast<float>(kMoveSampleRate);
    if (phase > kTwoPi) {
      phase -= kTwoPi;
    }
  }
  return samples;
}

VoiceSettings voiceSettingsFor(float strength) {
  return {.pitch = std::clamp(strength * 0.3f + 0.85f, 0.5f, 2.f),
          .volume = std::clamp(strength, 0.4f, 1.5f) * kBaseVolume};
}

SoundBank::SoundBank() {
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const std::vector<std::int16_t> samples = makeMoveSamples(kStartFrequencies[i], kMoveAmplitude);
    // Without a working audio device the game simply stays silent.
    static_cast<void>(buffers[i].loadFromSamples(samples.data(), samples.size(), 1, kMoveSampleRate,
                                                 {sf::SoundChannel::Mono}));
    voices[i].emplace(buffers[i]).setVolume(kBaseVolume);
  }
}

void SoundBank::playMove(float strength) {
  if (!enabled) {
    return;
  }
  const int index = nextVoice;
  nextVoice = (index + 1) % kVoiceCount;
  std::optional<sf::Sound>& voice = voices[static_cast<std::size_t>(index)];
  if (!voice) {
    return;
  }
  const VoiceSettings settings = voiceSettingsFor(strength);
  voice->setPitch(settings.pitch);
  voice->setVolume(settings.volume);
  if (voice->getStatus() == sf::SoundSource::Status::Playing) {
    voice->stop();
  }
  voice->play();
}
