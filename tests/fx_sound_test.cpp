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

constexpr std::array<float, 4> kStartFrequencies{900.f, 1050.f, 820.f, 1150.f};

std::vector<std::int16_t> bufferSamples(const sf::SoundBuffer& buffer) {
  return {buffer.getSamples(), buffer.getSamples() + buffer.getSampleCount()};
}

// The move sound worked out sample by sample from the raw draws: noise
// differences first, then the tone added on top.
std::vector<std::int16_t> recomputeMoveSound(const std::vector<int>& draws, float f, float a) {
  std::vector<float> sound(3087, 0.f);
  float previous = 0.f;
  for (std::size_t n = 0; n < 2425; ++n) {
    const float u = static_cast<float>(draws[n]) / 32767.f;
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
  std::vector<std::int16_t> samples;
  for (const float v : sound) {
    samples.push_back(static_cast<std::int16_t>(v));
  }
  return samples;
}

std::vector<int> drawsFrom(std::uint32_t seed, int count) {
  gameSrand(seed);
  std::vector<int> draws(static_cast<std::size_t>(count));
  for (int& d : draws) {
    d = gameRand();
  }
  gameSrand(seed);
  return draws;
}

}  // namespace

TEST(MoveSamples, NoiseOverToneThenSilence) {
  const std::vector<int> draws = drawsFrom(1, 2426);
  const std::vector<std::int16_t> samples = makeMoveSamples(900.f, 0.85f);
  ASSERT_EQ(samples.size(), 3087u);
  EXPECT_EQ(gameRand(), draws[2425]) << "one sound draws exactly 2425 values";

  // Sample 0 is noise alone: the tone's sine starts at phase 0.
  const float w0 = 2.f * (41.f / 32767.f) - 1.f;
  EXPECT_EQ(samples[0], static_cast<std::int16_t>(w0 * 0.85f * 0.28f * 32767.f));
  EXPECT_EQ(samples[0], -7779);

  EXPECT_TRUE(
      std::all_of(samples.begin() + 2425, samples.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(samples, recomputeMoveSound(draws, 900.f, 0.85f));

  // The noise is loudest at the start and has died away well before the end.
  const auto peak = [&](std::size_t from, std::size_t to) {
    int best = 0;
    for (std::size_t n = from; n < to; ++n) {
      best = std::max(best, std::abs(static_cast<int>(samples[n])));
    }
    return best;
  };
  EXPECT_GT(peak(0, 100), 5000);
  EXPECT_LE(peak(0, 3087), 15597);
  EXPECT_LT(peak(1764, 2425), 5);
}

TEST(SoundBank, FourFixedBuffersFromTheUnseededSequence) {
  gameSrand(1);  // the generator's state at program start
  const SoundBank first;
  const int afterFirst = gameRand();
  gameSrand(1);
  const SoundBank second;
  EXPECT_EQ(gameRand(), afterFirst);

  const std::vector<int> draws = drawsFrom(1, 9701);
  EXPECT_EQ(afterFirst, draws[9700]) << "the bank draws 4 x 2425 values";
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const sf::SoundBuffer& buffer = first.buffers[i];
    EXPECT_EQ(buffer.getSampleCount(), 3087u);
    EXPECT_EQ(buffer.getChannelCount(), 1u);
    EXPECT_EQ(buffer.getSampleRate(), 44100u);
    EXPECT_EQ(bufferSamples(buffer), bufferSamples(second.buffers[i]));
    const std::vector<int> own(draws.begin() + static_cast<std::ptrdiff_t>(2425 * i),
                               draws.begin() + static_cast<std::ptrdiff_t>(2425 * (i + 1)));
    EXPECT_EQ(bufferSamples(buffer), recomputeMoveSound(own, kStartFrequencies[i], 0.85f));
    ASSERT_TRUE(first.voices[i].has_value());
    EXPECT_EQ(&first.voices[i]->getBuffer(), &buffer);
    EXPECT_FLOAT_EQ(first.voices[i]->getVolume(), 60.f);
  }
  EXPECT_NE(bufferSamples(first.buffers[0]), bufferSamples(first.buffers[1]));
  EXPECT_TRUE(first.enabled);
  EXPECT_EQ(first.nextVoice, 0);
}

TEST(SoundBank, TheGameBuildsItsBankBeforeSeedingFromTheClock) {
  gameSrand(1);  // as at program start
  const Game game;
  gameSrand(1);
  const SoundBank reference;
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(bufferSamples(game.soundBank.buffers[i]), bufferSamples(reference.buffers[i])) << i;
  }
  EXPECT_TRUE(game.soundBank.enabled);
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
    EXPECT_EQ(reloaded.getSampleCount(), 3087u);
    EXPECT_EQ(reloaded.getChannelCount(), 1u);
    EXPECT_EQ(reloaded.getSampleRate(), 44100u);
    EXPECT_FLOAT_EQ(reloaded.getDuration().asSeconds(), 0.07f);
    const std::vector<std::int16_t> samples = bufferSamples(reloaded);
    const auto loudest = std::max_element(samples.begin(), samples.end(), [](auto a, auto b) {
      return std::abs(static_cast<int>(a)) < std::abs(static_cast<int>(b));
    });
    EXPECT_GT(std::abs(static_cast<int>(*loudest)), 5000) << "the sound is not silent";
    EXPECT_EQ(samples, bufferSamples(bank.buffers[i]));
  }
}

TEST(VoiceSettings, PitchAndVolumeFollowTheSlide) {
  const VoiceSettings oneCell = voiceSettingsFor(1 * 0.08f + 0.6f);
  EXPECT_NEAR(oneCell.pitch, 1.054f, 1e-5f);
  EXPECT_NEAR(oneCell.volume, 40.8f, 1e-4f);
  const VoiceSettings tenCells = voiceSettingsFor(1.4f);
  EXPECT_NEAR(tenCells.pitch, 1.27f, 1e-5f);
  EXPECT_NEAR(tenCells.volume, 84.f, 1e-4f);
  // The clamps, which real slides never reach.
  EXPECT_EQ(voiceSettingsFor(10.f).pitch, 2.f);
  EXPECT_EQ(voiceSettingsFor(10.f).volume, 90.f);
  EXPECT_EQ(voiceSettingsFor(-2.f).pitch, 0.5f);
  EXPECT_EQ(voiceSettingsFor(0.f).volume, 24.f);
}

TEST(SoundBank, VoicesRotateAndMuteHoldsTheRotation) {
  SoundBank bank;
  std::vector<int> used;
  for (int move = 0; move < 5; ++move) {
    used.push_back(bank.nextVoice);
    bank.playMove(0.68f);
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(bank.nextVoice, 1);
  EXPECT_NEAR(bank.voices[0]->getPitch(), 1.054f, 1e-5f);
  EXPECT_NEAR(bank.voices[0]->getVolume(), 40.8f, 1e-3f);

  bank.enabled = false;
  bank.playMove(1.4f);
  EXPECT_EQ(bank.nextVoice, 1);
  EXPECT_NEAR(bank.voices[1]->getPitch(), 1.054f, 1e-5f) << "a muted move touches no voice";
  bank.enabled = true;
  bank.playMove(1.4f);
  EXPECT_EQ(bank.nextVoice, 2);
  EXPECT_NEAR(bank.voices[1]->getPitch(), 1.27f, 1e-5f);
  EXPECT_NEAR(bank.voices[1]->getVolume(), 84.f, 1e-3f);
}
