#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

inline constexpr std::size_t kMoveSampleCount = 3087;
inline constexpr unsigned kMoveSampleRate = 44100;
inline constexpr int kVoiceCount = 4;
// A full turn in radians, as the tone's phase and the figure's glow
// (Game::idlePhase) count it.
inline constexpr float kTwoPi = 6.2831855f;

// A move sound: a high-passed noise burst over a tone gliding to 400 Hz.
// Draws 2425 values from gameRand.
std::vector<std::int16_t> makeMoveSamples(float frequency, float amplitude);

// Pitch and volume of a move voice for a slide's sound strength.
struct VoiceSettings {
  float pitch = 1.f;
  float volume = 60.f;
};
VoiceSettings voiceSettingsFor(float strength);

struct SoundBank {
  bool enabled = true;
  std::array<sf::SoundBuffer, kVoiceCount> buffers;
  std::array<std::optional<sf::Sound>, kVoiceCount> voices;  // voice i plays buffer i
  int nextVoice = 0;

  SoundBank();  // synthesises the four variants
  SoundBank(const SoundBank&) = delete;
  SoundBank& operator=(const SoundBank&) = delete;
  ~SoundBank() = default;

  // Plays the next voice in rotation; nothing at all while sound is off.
  void playMove(float strength);
};
