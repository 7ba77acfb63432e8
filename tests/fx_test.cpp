// The effects' random numbers, crack patterns, sparks and confetti as records;
// what a move throws and plays in the running game; the synthesised sounds.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/Effects.h"
#include "fx/GameRandom.h"
#include "fx/Sound.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

// Taken before main runs, so before any test has drawn a number.
const std::array<int, 5> kFirstDrawsOfProcess = [] {
  std::array<int, 5> values{};
  for (int& v : values) v = gameRand();
  return values;
}();

}  // namespace

TEST(GameRandom, UnseededSequenceAndReseeding) {
  EXPECT_EQ(kFirstDrawsOfProcess, (std::array<int, 5>{41, 18467, 6334, 26500, 19169}));
  EXPECT_EQ(test::randDraws(1, 2), (std::vector<int>{41, 18467}));
  EXPECT_EQ(test::randDraws(0, 1)[0], 38);  // state 2531011, bits 16-30
  // A unit draw is the raw value over 32767, reaching 1 exactly.
  gameSrand(1);
  EXPECT_EQ(randUnit(), 41.f / 32767.f);
  gameSrand(test::seedGiving(32767));
  EXPECT_EQ(randUnit(), 1.f);
}

TEST(CrackMark, KnownBentArmsTwoDrawsAndSixToNineArms) {
  const std::vector<CrackStrip> strips = makeCrackPattern(6, 1.f);
  ASSERT_EQ(strips.size(), 6u);
  const std::vector<std::vector<CrackPoint>> expected{
      {{0.f, 0.f}, {0.1693f, -0.0200f}, {0.3394f, -0.0331f}},
      {{0.f, 0.f}, {0.0424f, 0.1217f}, {0.1085f, 0.2337f}, {0.1556f, 0.3538f}}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(strips[i].size(), expected[i].size());
    for (std::size_t k = 0; k < expected[i].size(); ++k) {
      EXPECT_NEAR(strips[i][k].x, expected[i][k].x, 5e-5f) << "arm " << i << " point " << k;
      EXPECT_NEAR(strips[i][k].y, expected[i][k].y, 5e-5f) << "arm " << i << " point " << k;
    }
  }
  const std::vector<int> raw = test::randDraws(1, 3);  // 41, 18467, 6334
  ImpactEffects effects;
  effects.addCrack(3, 7);
  ASSERT_EQ(effects.cracks.size(), 1u);
  const CrackMark& mark = effects.cracks[0];
  EXPECT_EQ(std::tuple(mark.row, mark.column, mark.alpha, mark.fadeRate, mark.strips.size()),
            std::tuple(3, 7, 230.f, 5.f, 6u));
  EXPECT_EQ(gameRand(), raw[2]) << "a crack mark draws exactly two values";
  for (const auto& [draw, arms] :
       {std::pair{0, 6u}, {10922, 6u}, {10923, 7u}, {21845, 8u}, {32766, 8u}, {32767, 9u}}) {
    gameSrand(test::seedGiving(draw));
    ImpactEffects one;
    one.addCrack(0, 0);
    EXPECT_EQ(one.cracks[0].strips.size(), arms) << "first draw " << draw;
  }
}

// Where each spark and confetti rectangle goes, and how it moves and fades,
// is pixel for pixel in the README's pictures (render_frames.cpp).
TEST(Sparks, CountDrawsAndTheCrackAfterThem) {
  gameSrand(1);
  ImpactEffects effects;
  effects.spawnSparks({400.f, 300.f}, 64.f, 1.1f);
  effects.addCrack(2, 5);
  ASSERT_EQ(effects.sparks.size(), 24u);  // (41 / 32767 * 18 + 22) * 1.1
  EXPECT_EQ(effects.cracks.at(0).strips.size(), 7u);
  EXPECT_EQ(gameRand(), 14343) << "1 + 9 draws a spark, then the crack's 2";
  // (u * 18 + 22) * strength, truncated: 24 ... 44 for one cell, 44 ... 80 at the cap.
  for (const auto& [draw, strength, count] : {std::tuple{0, 1.1f, 24u},
                                              {32767, 1.1f, 44u},
                                              {0, 2.f, 44u},
                                              {16384, 2.f, 62u},
                                              {32767, 2.f, 80u},
                                              {32767, 0.f, 0u}}) {
    gameSrand(test::seedGiving(draw));
    ImpactEffects burst;
    burst.spawnSparks({0.f, 0.f}, 48.f, strength);
    EXPECT_EQ(burst.sparks.size(), count) << draw << " x " << strength;
  }
}

TEST(ImpactEffectsUpdate, FadedOnesGoAtZeroAndTheRestKeepTheirOrder) {
  ImpactEffects effects;
  for (const float alpha : {8.f, 50.f, 3.f, 4.f, 60.f}) {
    effects.sparks.push_back(Spark{.radius = alpha, .alpha = alpha, .fadeRate = 4.f});
  }
  effects.cracks = {CrackMark{.row = 1, .alpha = 10.f}, CrackMark{.row = 2, .alpha = 4.f},
                    CrackMark{.row = 3}};
  effects.update();  // sparks 4, 46, -1, 0, 56; cracks 5, -1, 225
  ASSERT_EQ(effects.sparks.size(), 3u);
  EXPECT_EQ(effects.sparks[2].radius, 60.f * 0.997f);
  ASSERT_EQ(effects.cracks.size(), 2u);
  EXPECT_EQ(std::tuple(effects.cracks[0].row, effects.cracks[1].row, effects.cracks[1].alpha),
            std::tuple(1, 3, 225.f));
  effects.update();  // the first spark and crack reach exactly 0
  EXPECT_EQ(std::pair(effects.sparks.size(), effects.cracks.size()), std::pair(2u, 1u));
}

TEST(Confetti, NineDrawsEachThenFallingFadingAndLeaving) {
  gameSrand(1);
  ASSERT_EQ(makeConfetti(1280.f).size(), 160u);
  EXPECT_EQ(gameRand(), 3340) << "nine draws a rectangle";
  std::vector<Particle> particles{
      Particle{.y = 530.f, .vy = 5.f, .alpha = 255.f},                   // fades later
      Particle{.x = 1.f, .y = 735.f, .vy = 5.f, .alpha = 255.f},         // leaves later
      Particle{.x = 2.f, .y = 600.f, .vy = 1.f, .alpha = 20.f},          // fades out
      Particle{.x = 3.f, .y = 10.f, .vx = 2.f, .vy = 3.f, .spin = 7.f},  // falls on
  };
  updateConfetti(particles, 0.1f, 720.f);
  ASSERT_EQ(particles.size(), 3u);  // 20 - 38.25 is gone
  EXPECT_EQ(std::pair(particles[0].y, particles[0].alpha), std::pair(535.f, 255.f));
  EXPECT_EQ(particles[1].y, 740.f);  // not yet past 740
  EXPECT_FLOAT_EQ(particles[1].alpha, 255.f - 38.25f);
  EXPECT_EQ(std::tuple(particles[2].x, particles[2].y, particles[2].rotation, particles[2].alpha),
            std::tuple(5.f, 13.f, 7.f, 255.f));
  // The fading line follows the window's height.
  std::vector<Particle> tall{Particle{.y = 800.f, .alpha = 255.f}};
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_EQ(tall[0].alpha, 255.f);
  tall[0].y = 811.f;
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_FLOAT_EQ(tall[0].alpha, 255.f - 191.25f);
}

TEST(EffectAlpha, ClampsThenTruncates) {
  for (const auto& [alpha, byte] : {std::pair{127.9f, 127},
                                    {300.f, 255},
                                    {-4.f, 0},
                                    {255.f, 255},
                                    {254.99f, 254},
                                    {0.99f, 0},
                                    {std::nanf(""), 0}}) {
    EXPECT_EQ(effectAlpha(alpha), byte) << alpha;
  }
}

TEST(MoveEffects, VoicesRotateAndMKeepsTheRotationButNotTheSparks) {
  Game game;
  test::press(game, Key::Num1);
  std::vector<int> used;
  for (const Key key : test::solution(game)) {
    used.push_back(game.soundBank.nextVoice);
    test::move(game, key);
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(game.particles.size(), 160u);
  EXPECT_TRUE(std::all_of(game.particles.begin(), game.particles.end(), [](const Particle& p) {
    return p.x >= 0.f && p.x <= 1280.f && p.y <= -20.f && p.y >= -220.f;
  })) << "across the window's width, 20 to 220 pixels above it";

  // Muted moves touch no voice and keep the rotation, but still spark and crack.
  test::press(game, {Key::Escape, Key::Down, Key::Enter, Key::M, Key::Right});
  EXPECT_EQ(std::tuple(game.soundBank.enabled, game.moves, game.soundBank.nextVoice),
            std::tuple(false, 1, 1));
  EXPECT_EQ(std::pair(game.effects.sparks.empty(), game.effects.cracks.size()),
            std::pair(false, 1u));
  // Starting the level again keeps both the switch and the rotation.
  test::press(game, Key::R);
  EXPECT_EQ(std::pair(game.soundBank.enabled, game.soundBank.nextVoice), std::pair(false, 1));
}

TEST(MoveEffects, SlideLengthSetsSparkAndSoundStrength) {
  // One cell: strengths 1.1 and 0.68; sixteen cells: capped at 2.0 and 1.4.
  for (const auto& [cells, sparkStrength, pitch, volume] :
       {std::tuple{1, 1.1f, 1.054f, 40.8f}, {16, 2.f, 1.27f, 84.f}}) {
    Game game;
    test::press(game, Key::Num5);
    // Level 5's size with every inner wall open, and a wall after the first
    // cell for the short slide: no level has a slide of ten cells or more.
    game.board = test::openBoard(15, 17);
    game.board[0][1].eastWall = cells == 1;
    gameSrand(21);
    test::press(game, Key::Right);
    ASSERT_EQ(game.targetCol, cells);
    // The same burst, thrown by hand at the end cell from the same rand state.
    ImpactEffects expected;
    gameSrand(21);
    expected.spawnSparks({334.f + 36.f * static_cast<float>(cells) + 18.f, 136.f}, 36.f,
                         sparkStrength);
    EXPECT_EQ(game.effects.sparks, expected.sparks);
    ASSERT_EQ(game.effects.cracks.size(), 1u);
    EXPECT_EQ(std::pair(game.effects.cracks[0].row, game.effects.cracks[0].column),
              std::pair(0, cells));
    EXPECT_NEAR(game.soundBank.voices[0]->getPitch(), pitch, 1e-5f);
    EXPECT_NEAR(game.soundBank.voices[0]->getVolume(), volume, 1e-3f);
  }
}

TEST(MoveEffects, CrackLivesFortySixPlayingFramesAndFreezesWhilePausedOrWon) {
  Game game;
  test::press(game, {Key::Num1, Key::Right});
  test::advance(game, 45, 1.f / 60.f);
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].alpha, 5.f);
  test::press(game, Key::Escape);
  const ImpactEffects before = game.effects;
  test::advance(game, 30);
  EXPECT_EQ(game.effects, before);
  test::press(game, Key::Escape);
  test::advance(game, 1, 1.f / 60.f);
  EXPECT_TRUE(game.effects.cracks.empty());
  // The winning move's marks stay as they were on the win screen.
  test::play(game, test::solution(game), test::kFrame);
  ASSERT_EQ(game.state, GameState::Won);
  const ImpactEffects won = game.effects;
  ASSERT_FALSE(won.cracks.empty());
  test::advance(game, 60);
  EXPECT_EQ(game.effects, won);
}

TEST(SoundBank, FourFixedVoicesBuiltBeforeSeedingFromTheClock) {
  const std::vector<int> draws = test::randDraws(1, 2426);  // leaves the seed at 1
  const std::vector<std::int16_t> samples = makeMoveSamples(900.f, 0.85f);
  ASSERT_EQ(samples.size(), 3087u);
  EXPECT_EQ(gameRand(), draws[2425]) << "one sound draws exactly 2425 values";
  // Sample 0 is noise alone, (2 * 41 / 32767 - 1) * 0.85 * 0.28 * 32767: the
  // tone's sine starts at phase 0. The end is silent.
  EXPECT_EQ(samples[0], -7779);
  EXPECT_TRUE(
      std::all_of(samples.begin() + 2425, samples.end(), [](std::int16_t s) { return s == 0; }));
  // The four voices, in order from the unseeded generator.
  gameSrand(1);
  std::vector<std::vector<std::int16_t>> expected;
  for (const float frequency : {900.f, 1050.f, 820.f, 1150.f}) {
    expected.push_back(makeMoveSamples(frequency, 0.85f));
  }
  gameSrand(1);  // as at program start
  const Game game;
  for (std::size_t i = 0; i < 4; ++i) {
    const sf::SoundBuffer& buffer = game.soundBank.buffers[i];
    EXPECT_EQ(std::pair(buffer.getChannelCount(), buffer.getSampleRate()), std::pair(1u, 44100u));
    EXPECT_EQ(std::vector<std::int16_t>(buffer.getSamples(),
                                        buffer.getSamples() + buffer.getSampleCount()),
              expected[i]);
    ASSERT_TRUE(game.soundBank.voices[i].has_value());
    EXPECT_EQ(&game.soundBank.voices[i]->getBuffer(), &buffer);
    EXPECT_FLOAT_EQ(game.soundBank.voices[i]->getVolume(), 60.f);
  }
  EXPECT_EQ(std::pair(game.soundBank.enabled, game.soundBank.nextVoice), std::pair(true, 0));
}
