// The synthesised move sounds, the game's sound bank, and pitch and volume.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "fx/Sound.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::int16_t> samplesOf(const sf::SoundBuffer& buffer) {
  return {buffer.getSamples(), buffer.getSamples() + buffer.getSampleCount()};
}

// The move sound worked out sample by sample from the raw draws: noise
// differences first, then the tone added on top.
std::vector<std::int16_t> moveSound(const std::vector<int>& draws, std::size_t first, float f) {
  const float a = 0.85f;
  std::vector<float> sound(3087, 0.f);
  float previous = 0.f;
  for (std::size_t n = 0; n < 2425; ++n) {
    const float u = static_cast<float>(draws[first + n]) / 32767.f;
    const float w = std::exp(-static_cast<float>(n) / 194.f) * (2.f * u - 1.f);
    sound[n] = std::trunc(std::clamp((w - previous) * a * 0.28f * 32767.f, -32767.f, 32767.f));
    previous = w;
  }
  float phase = 0.f;
  for (std::size_t n = 0; n < 1764; ++n) {
    const float tone =
        std::exp(-static_cast<float>(n) / 529.2f) * std::sin(phase) * a * 0.08f * 32767.f;
    sound[n] = std::trunc(std::clamp(sound[n] + tone, -32767.f, 32767.f));
    phase += ((static_cast<float>(n) / 1764.f) * (400.f - f) + f) * 6.2831855f / 44100.f;
    if (phase > 6.2831855f) {
      phase -= 6.2831855f;
    }
  }
  return {sound.begin(), sound.end()};
}

int peak(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  int best = 0;
  for (std::size_t n = from; n < to; ++n) {
    best = std::max(best, std::abs(static_cast<int>(samples[n])));
  }
  return best;
}

}  // namespace

TEST(MoveSamples, NoiseOverToneThenSilence) {
  const std::vector<int> draws = test::randDraws(1, 2426);
  const std::vector<std::int16_t> samples = makeMoveSamples(900.f, 0.85f);
  ASSERT_EQ(samples.size(), 3087u);
  EXPECT_EQ(gameRand(), draws[2425]) << "one sound draws exactly 2425 values";
  // Sample 0 is noise alone, (2 * 41 / 32767 - 1) * 0.85 * 0.28 * 32767: the
  // tone's sine starts at phase 0.
  EXPECT_EQ(samples[0], -7779);
  EXPECT_TRUE(
      std::all_of(samples.begin() + 2425, samples.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(samples, moveSound(draws, 0, 900.f));
  // The noise is loudest at the start and has died away well before the end.
  EXPECT_GT(peak(samples, 0, 100), 5000);
  EXPECT_LE(peak(samples, 0, 3087), 15597);
  EXPECT_LT(peak(samples, 1764, 2425), 5);
}

TEST(SoundBank, TheGameBuildsFourFixedVoicesBeforeSeedingFromTheClock) {
  gameSrand(1);  // as at program start
  const Game game;
  const std::vector<int> draws = test::randDraws(1, 4 * 2425);
  const float frequencies[] = {900.f, 1050.f, 820.f, 1150.f};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const sf::SoundBuffer& buffer = game.soundBank.buffers[i];
    EXPECT_EQ(buffer.getChannelCount(), 1u);
    EXPECT_EQ(buffer.getSampleRate(), 44100u);
    EXPECT_EQ(samplesOf(buffer), moveSound(draws, 2425 * i, frequencies[i]));
    ASSERT_TRUE(game.soundBank.voices[i].has_value());
    EXPECT_EQ(&game.soundBank.voices[i]->getBuffer(), &buffer);
    EXPECT_FLOAT_EQ(game.soundBank.voices[i]->getVolume(), 60.f);
  }
  EXPECT_TRUE(game.soundBank.enabled);
  EXPECT_EQ(game.soundBank.nextVoice, 0);
}

TEST(SoundBank, MoveSoundsSurviveAsWavFiles) {
  gameSrand(1);
  const SoundBank bank;
  const test::TempDir dir;
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const auto path = dir.path / ("move-" + std::to_string(i) + ".wav");
    ASSERT_TRUE(bank.buffers[i].saveToFile(path));
    sf::SoundBuffer reloaded;
    ASSERT_TRUE(reloaded.loadFromFile(path));
    EXPECT_EQ(reloaded.getChannelCount(), 1u);
    EXPECT_EQ(reloaded.getSampleRate(), 44100u);
    EXPECT_FLOAT_EQ(reloaded.getDuration().asSeconds(), 0.07f);
    const std::vector<std::int16_t> samples = samplesOf(reloaded);
    EXPECT_GT(peak(samples, 0, samples.size()), 5000) << "the sound is not silent";
    EXPECT_EQ(samples, samplesOf(bank.buffers[i]));
  }
}

TEST(VoiceSettings, PitchAndVolumeFollowTheSlide) {
  struct Case {
    float strength, pitch, volume;
  };
  // One cell, ten or more cells, then the clamps that real slides never reach.
  const Case cases[] = {{1 * 0.08f + 0.6f, 1.054f, 40.8f},
                        {1.4f, 1.27f, 84.f},
                        {10.f, 2.f, 90.f},
                        {-2.f, 0.5f, 24.f}};
  for (const Case& c : cases) {
    const VoiceSettings settings = voiceSettingsFor(c.strength);
    EXPECT_NEAR(settings.pitch, c.pitch, 1e-5f) << c.strength;
    EXPECT_NEAR(settings.volume, c.volume, 1e-4f) << c.strength;
  }
}
