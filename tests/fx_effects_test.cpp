// The effects' random numbers, crack patterns, sparks and confetti as
// records, without a window.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "fx/Effects.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

namespace {

// Taken before main runs, so before any test has drawn a number.
const std::array<int, 5> kFirstDrawsOfProcess = [] {
  std::array<int, 5> values{};
  for (int& v : values) v = gameRand();
  return values;
}();

float unit(int raw) { return static_cast<float>(raw) / 32767.f; }

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

TEST(CrackPattern, SeedOneGivesTheKnownBentArms) {
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
}

TEST(CrackMark, DrawsCountThenSeedAndStartsAt230) {
  const std::vector<int> raw = test::randDraws(1, 3);  // 41, 18467, 6334
  ImpactEffects effects;
  effects.addCrack(3, 7);
  ASSERT_EQ(effects.cracks.size(), 1u);
  const CrackMark& mark = effects.cracks[0];
  EXPECT_EQ(mark.row, 3);
  EXPECT_EQ(mark.column, 7);
  EXPECT_EQ(mark.alpha, 230.f);
  EXPECT_EQ(mark.fadeRate, 5.f);
  EXPECT_EQ(mark.strips.size(), 6u);
  EXPECT_EQ(gameRand(), raw[2]) << "a crack mark draws exactly two values";
  EXPECT_TRUE(effects.sparks.empty());

  // Six to eight arms, nine only for the top draw.
  for (const auto& [draw, arms] :
       {std::pair{0, 6u}, {10922, 6u}, {10923, 7u}, {21845, 8u}, {32766, 8u}, {32767, 9u}}) {
    gameSrand(test::seedGiving(draw));
    ImpactEffects one;
    one.addCrack(0, 0);
    EXPECT_EQ(one.cracks[0].strips.size(), arms) << "first draw " << draw;
  }
}

TEST(Sparks, NineDrawsPerSparkInOrderThenTheCrack) {
  const std::uint32_t seed = 20240611u;
  const std::vector<int> raw = test::randDraws(seed, 1 + 9 * 80 + 3);
  const sf::Vector2f centre{400.f, 300.f};
  const float tile = 64.f;
  ImpactEffects effects;
  effects.spawnSparks(centre, tile, 1.1f);
  effects.addCrack(2, 5);
  const auto count = static_cast<std::size_t>((unit(raw[0]) * 18.f + 22.f) * 1.1f);
  ASSERT_EQ(effects.sparks.size(), count);
  // The first spark, from draws 1 to 9; the other sparks follow nine draws each.
  const auto u = [&](std::size_t j) { return unit(raw[1 + j]); };
  const Spark& s = effects.sparks[0];
  const float speed = u(1) * 4.5f + 0.8f;
  const float angle = 2.f * (u(0) * 3.14159f);
  EXPECT_FLOAT_EQ(s.velocity.x, std::cos(angle) * speed);
  EXPECT_FLOAT_EQ(s.velocity.y, std::sin(angle) * speed - 1.5f);
  EXPECT_FLOAT_EQ(s.position.x, centre.x + (u(3) - 0.5f) * tile * 0.3f);
  EXPECT_FLOAT_EQ(s.radius, u(2) < 0.3f ? u(5) * 1.2f + 0.8f : u(5) * 3.5f + 1.5f);
  EXPECT_FLOAT_EQ(s.alpha, u(6) * 77.f + 178.f);
  EXPECT_FLOAT_EQ(s.fadeRate, u(7) * 5.f + 3.f);
  // The crack mark's two draws follow the sparks' draws.
  ASSERT_EQ(effects.cracks.size(), 1u);
  const std::size_t next = 1 + 9 * count;
  EXPECT_EQ(effects.cracks[0].strips.size(), static_cast<std::size_t>(6 + unit(raw[next]) * 3.f));
  EXPECT_EQ(gameRand(), raw[next + 2]);
}

TEST(Sparks, CountFromTheFirstDrawTimesTheStrength) {
  // (u * 18 + 22) * strength, truncated: 24 ... 44 for one cell, 44 ... 80 at the cap.
  const std::tuple<int, float, std::size_t> cases[] = {
      {0, 1.1f, 24}, {32767, 1.1f, 44}, {0, 2.f, 44}, {16384, 2.f, 62}, {32767, 2.f, 80}};
  for (const auto& [draw, strength, count] : cases) {
    gameSrand(test::seedGiving(draw));
    ImpactEffects effects;
    effects.spawnSparks({0.f, 0.f}, 48.f, strength);
    EXPECT_EQ(effects.sparks.size(), count) << draw << " x " << strength;
  }
  ImpactEffects none;
  gameSrand(1);
  none.spawnSparks({0.f, 0.f}, 48.f, 0.f);
  EXPECT_TRUE(none.sparks.empty());
  EXPECT_EQ(gameRand(), 18467) << "an empty burst still draws its count";
}

TEST(ImpactEffectsUpdate, MovesFadesAndRemovesKeepingTheOrder) {
  // A spark moves with its old velocity, then the pull and the drag act.
  ImpactEffects one;
  one.sparks.push_back(Spark{.position = {10.f, 20.f},
                             .velocity = {2.f, -3.f},
                             .radius = 4.f,
                             .alpha = 100.f,
                             .fadeRate = 10.f});
  one.update();
  one.update();
  const Spark& s = one.sparks.at(0);
  EXPECT_FLOAT_EQ(s.position.x, 13.9f);
  EXPECT_FLOAT_EQ(s.position.y, 14.226f);  // 20 - 3, then - 2.774 = (-3 + 0.08) * 0.95
  EXPECT_FLOAT_EQ(s.velocity.x, 1.805f);
  EXPECT_FLOAT_EQ(s.velocity.y, (-2.774f + 0.08f) * 0.95f);
  EXPECT_FLOAT_EQ(s.radius, 4.f * 0.997f * 0.997f);
  EXPECT_FLOAT_EQ(s.alpha, 80.f);

  ImpactEffects effects;
  const std::array<float, 5> alphas{8.f, 50.f, 3.f, 4.f, 60.f};
  for (std::size_t i = 0; i < alphas.size(); ++i) {
    effects.sparks.push_back(
        Spark{.radius = static_cast<float>(i), .alpha = alphas[i], .fadeRate = 4.f});
  }
  effects.cracks = {CrackMark{.row = 1, .alpha = 10.f}, CrackMark{.row = 2, .alpha = 4.f},
                    CrackMark{.row = 3}};
  effects.update();  // sparks 4, 46, -1, 0, 56; cracks 5, -1, 225
  ASSERT_EQ(effects.sparks.size(), 3u);
  EXPECT_EQ(effects.sparks[2].radius, 4.f * 0.997f);
  ASSERT_EQ(effects.cracks.size(), 2u);
  EXPECT_EQ(effects.cracks[0].row, 1);
  EXPECT_EQ(effects.cracks[1].row, 3);
  EXPECT_EQ(effects.cracks[1].alpha, 225.f);
  effects.update();  // the first spark and crack reach exactly 0
  EXPECT_EQ(effects.sparks.size(), 2u);
  EXPECT_EQ(effects.cracks.size(), 1u);
}

TEST(Confetti, NineDrawsPerRectangleInOrder) {
  const std::vector<int> raw = test::randDraws(77, 9 * kConfettiCount + 1);
  const std::vector<Particle> particles = makeConfetti(1280.f);
  ASSERT_EQ(particles.size(), 160u);
  const Particle& p = particles[0];
  const auto u = [&](std::size_t j) { return unit(raw[j]); };
  EXPECT_FLOAT_EQ(p.x, u(0) * 1280.f);
  EXPECT_FLOAT_EQ(p.y, -20.f - u(1) * 200.f);
  EXPECT_FLOAT_EQ(p.vx, u(2) * 4.f - 2.f);
  EXPECT_FLOAT_EQ(p.vy, u(3) * 5.f + 2.5f);
  EXPECT_FLOAT_EQ(p.width, u(4) * 9.f + 5.f);
  EXPECT_FLOAT_EQ(p.height, u(5) * 5.f + 2.f);
  EXPECT_FLOAT_EQ(p.rotation, u(6) * 360.f);
  EXPECT_FLOAT_EQ(p.spin, u(7) * 8.f - 4.f);
  const std::array<sf::Color, 6> palette{sf::Color(55, 138, 221),  sf::Color(29, 158, 117),
                                         sf::Color(108, 92, 231),  sf::Color(240, 160, 48),
                                         sf::Color(168, 216, 248), sf::Color(255, 255, 255)};
  EXPECT_EQ(p.colour, palette[static_cast<std::size_t>(raw[8] % 6)]);
  EXPECT_EQ(p.alpha, 255.f);
  EXPECT_EQ(gameRand(), raw[9 * kConfettiCount]);
}

TEST(Confetti, FadesInTheLowestQuarterAndLeavesBelowTheWindow) {
  std::vector<Particle> particles{
      Particle{.y = 530.f, .vy = 5.f, .alpha = 255.f},                   // fades later
      Particle{.x = 1.f, .y = 735.f, .vy = 5.f, .alpha = 255.f},         // leaves later
      Particle{.x = 2.f, .y = 600.f, .vy = 1.f, .alpha = 20.f},          // fades out
      Particle{.x = 3.f, .y = 10.f, .vx = 2.f, .vy = 3.f, .spin = 7.f},  // falls on
  };
  updateConfetti(particles, 0.1f, 720.f);
  ASSERT_EQ(particles.size(), 3u);  // 20 - 38.25 is gone
  EXPECT_EQ(particles[0].y, 535.f);
  EXPECT_EQ(particles[0].alpha, 255.f);
  EXPECT_EQ(particles[1].y, 740.f);  // not yet past 740
  EXPECT_FLOAT_EQ(particles[1].alpha, 255.f - 38.25f);
  EXPECT_EQ(particles[2].x, 5.f);
  EXPECT_EQ(particles[2].y, 13.f);
  EXPECT_EQ(particles[2].rotation, 7.f);
  EXPECT_EQ(particles[2].alpha, 255.f);

  // The fading line follows the window's height.
  std::vector<Particle> tall{Particle{.y = 800.f, .alpha = 255.f}};
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_EQ(tall[0].alpha, 255.f);
  tall[0].y = 811.f;
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_FLOAT_EQ(tall[0].alpha, 255.f - 191.25f);
}

TEST(EffectAlpha, ClampsThenTruncates) {
  const std::pair<float, int> cases[] = {{127.9f, 127},     {300.f, 255},   {-4.f, 0},
                                         {255.f, 255},      {254.99f, 254}, {0.99f, 0},
                                         {std::nanf(""), 0}};
  for (const auto& [alpha, byte] : cases) {
    EXPECT_EQ(effectAlpha(alpha), byte) << alpha;
  }
}
