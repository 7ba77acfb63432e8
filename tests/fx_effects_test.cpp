#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "fx/Effects.h"
#include "fx/GameRandom.h"

namespace {

// Taken before main runs, so before any test has drawn a number.
const std::array<int, 5> kFirstDrawsOfProcess = [] {
  std::array<int, 5> values{};
  for (int& v : values) {
    v = gameRand();
  }
  return values;
}();

// The next `count` raw values the generator would give from `seed`.
std::vector<int> drawsAfterSeed(std::uint32_t seed, int count) {
  gameSrand(seed);
  std::vector<int> values(static_cast<std::size_t>(count));
  for (int& v : values) {
    v = gameRand();
  }
  gameSrand(seed);
  return values;
}

float unit(int raw) { return static_cast<float>(raw) / 32767.f; }

// A seed after which the next gameRand() returns `value` (the generator is a
// bijection on its 32-bit state, so any wanted next state can be reached).
std::uint32_t seedGiving(int value) {
  const std::uint32_t a = 214013u;
  std::uint32_t inverse = a;  // Newton's iteration for the inverse modulo 2^32
  for (int i = 0; i < 5; ++i) {
    inverse *= 2u - a * inverse;
  }
  const std::uint32_t wanted = static_cast<std::uint32_t>(value) << 16;
  return (wanted - 2531011u) * inverse;
}

float wrapAngle(float angle) {
  const float twoPi = 2.f * std::numbers::pi_v<float>;
  while (angle > std::numbers::pi_v<float>) angle -= twoPi;
  while (angle < -std::numbers::pi_v<float>) angle += twoPi;
  return angle;
}

}  // namespace

// ---------------------------------------------------------------- generator

TEST(GameRandom, UnseededSequenceMatchesTheClassicRuntime) {
  EXPECT_EQ(kFirstDrawsOfProcess, (std::array<int, 5>{41, 18467, 6334, 26500, 19169}));
}

TEST(GameRandom, SeedingRestartsTheSequence) {
  gameSrand(1);
  EXPECT_EQ(gameRand(), 41);
  EXPECT_EQ(gameRand(), 18467);
  gameSrand(1);
  EXPECT_EQ(gameRand(), 41);

  gameSrand(0);
  EXPECT_EQ(gameRand(), 38);  // state 2531011, bits 16-30

  const std::vector<int> first = drawsAfterSeed(1700000000u, 50);
  const std::vector<int> again = drawsAfterSeed(1700000000u, 50);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, drawsAfterSeed(1700000001u, 50));

  // A unit draw is the raw value over 32767, reaching 1 exactly.
  gameSrand(1);
  EXPECT_EQ(randUnit(), 41.f / 32767.f);
  gameSrand(seedGiving(32767));
  EXPECT_EQ(randUnit(), 1.f);
}

// ------------------------------------------------------------ crack pattern

TEST(CrackPattern, SeedZeroGivesSixStraightArms) {
  const std::vector<CrackStrip> strips = makeCrackPattern(6, 0.f);
  ASSERT_EQ(strips.size(), 6u);
  for (std::size_t i = 0; i < strips.size(); ++i) {
    SCOPED_TRACE(i);
    const std::size_t points = (i % 2 == 0) ? 3u : 4u;
    ASSERT_EQ(strips[i].size(), points);
    EXPECT_EQ(strips[i][0].x, 0.f);
    EXPECT_EQ(strips[i][0].y, 0.f);
    const float direction = -0.36f + static_cast<float>(i) * 6.28318f / 6.f;
    for (std::size_t k = 1; k < points; ++k) {
      const float distance = std::hypot(strips[i][k].x, strips[i][k].y);
      EXPECT_NEAR(distance, 0.25f * static_cast<float>(k) / static_cast<float>(points - 1), 1e-6f);
      EXPECT_NEAR(wrapAngle(std::atan2(strips[i][k].y, strips[i][k].x) - direction), 0.f, 1e-5f);
    }
  }
}

TEST(CrackPattern, SeedOneGivesTheKnownBentArms) {
  const std::vector<CrackStrip> strips = makeCrackPattern(6, 1.f);
  ASSERT_EQ(strips.size(), 6u);
  const auto expectPoints = [](const CrackStrip& strip, std::vector<CrackPoint> expected) {
    ASSERT_EQ(strip.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      EXPECT_NEAR(strip[k].x, expected[k].x, 5e-5f) << "point " << k;
      EXPECT_NEAR(strip[k].y, expected[k].y, 5e-5f) << "point " << k;
    }
  };
  expectPoints(strips[0], {{0.f, 0.f}, {0.1693f, -0.0200f}, {0.3394f, -0.0331f}});
  expectPoints(strips[1], {{0.f, 0.f}, {0.0424f, 0.1217f}, {0.1085f, 0.2337f}, {0.1556f, 0.3538f}});
  // The last point lies at the arm's full length.
  EXPECT_NEAR(std::hypot(strips[0].back().x, strips[0].back().y), 0.341f, 5e-5f);
  EXPECT_NEAR(std::hypot(strips[1].back().x, strips[1].back().y), 0.3865f, 5e-5f);
  // Each joint bends the arm by at most 0.06 from its angle (-0.078, 1.1912).
  for (std::size_t k = 1; k < strips[0].size(); ++k) {
    EXPECT_LE(std::abs(std::atan2(strips[0][k].y, strips[0][k].x) + 0.078f), 0.0601f);
  }
  for (std::size_t k = 1; k < strips[1].size(); ++k) {
    EXPECT_LE(std::abs(std::atan2(strips[1][k].y, strips[1][k].x) - 1.1912f), 0.0601f);
  }
}

TEST(CrackPattern, EverySeedStaysWithinItsBounds) {
  for (int count = 6; count <= 9; ++count) {
    for (float seed = 0.f; seed <= 999.f; seed += 7.31f) {
      const std::vector<CrackStrip> strips = makeCrackPattern(count, seed);
      ASSERT_EQ(strips.size(), static_cast<std::size_t>(count));
      for (std::size_t i = 0; i < strips.size(); ++i) {
        ASSERT_EQ(strips[i].size(), i % 2 == 0 ? 3u : 4u);
        const float length = std::hypot(strips[i].back().x, strips[i].back().y);
        EXPECT_GE(length, 0.2499f);
        EXPECT_LE(length, 0.6f);
      }
    }
  }
}

// --------------------------------------------------------------- crack mark

TEST(CrackMark, DrawsCountThenSeedAndStartsAt230) {
  const std::vector<int> raw = drawsAfterSeed(1, 3);  // 41, 18467, 6334
  ImpactEffects effects;
  effects.addCrack(3, 7);
  ASSERT_EQ(effects.cracks.size(), 1u);
  const CrackMark& mark = effects.cracks[0];
  EXPECT_EQ(mark.row, 3);
  EXPECT_EQ(mark.column, 7);
  EXPECT_EQ(mark.alpha, 230.f);
  EXPECT_EQ(mark.fadeRate, 5.f);
  const auto expected = makeCrackPattern(6, 18467.f / 32767.f * 999.f);
  ASSERT_EQ(mark.strips.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(mark.strips[i].size(), expected[i].size());
    for (std::size_t k = 0; k < expected[i].size(); ++k) {
      EXPECT_EQ(mark.strips[i][k].x, expected[i][k].x);
      EXPECT_EQ(mark.strips[i][k].y, expected[i][k].y);
    }
  }
  EXPECT_EQ(gameRand(), raw[2]) << "a crack mark draws exactly two values";
  EXPECT_TRUE(effects.sparks.empty());
}

TEST(CrackMark, ArmCountIsSixToEightAndNineOnlyAtTheTop) {
  const auto armsAfter = [](int firstDraw) {
    gameSrand(seedGiving(firstDraw));
    ImpactEffects effects;
    effects.addCrack(0, 0);
    return effects.cracks[0].strips.size();
  };
  EXPECT_EQ(armsAfter(0), 6u);
  EXPECT_EQ(armsAfter(10922), 6u);  // 10922 / 32767 * 3 is just below 1
  EXPECT_EQ(armsAfter(10923), 7u);
  EXPECT_EQ(armsAfter(21845), 8u);
  EXPECT_EQ(armsAfter(32766), 8u);
  EXPECT_EQ(armsAfter(32767), 9u);
}

TEST(CrackMark, LivesExactlyFortySixUpdatesAndRemovalKeepsOrder) {
  ImpactEffects effects;
  effects.cracks.push_back(CrackMark{.row = 1});
  for (int i = 0; i < 45; ++i) {
    effects.update();
  }
  ASSERT_EQ(effects.cracks.size(), 1u);
  EXPECT_EQ(effects.cracks[0].alpha, 5.f);
  effects.cracks.push_back(CrackMark{.row = 2});
  effects.cracks.push_back(CrackMark{.row = 3, .alpha = 4.f});
  effects.cracks.push_back(CrackMark{.row = 4});
  effects.update();  // the 46th update of the first mark
  ASSERT_EQ(effects.cracks.size(), 2u);
  EXPECT_EQ(effects.cracks[0].row, 2);
  EXPECT_EQ(effects.cracks[1].row, 4);
  EXPECT_EQ(effects.cracks[0].alpha, 225.f);
}

// ------------------------------------------------------------------- sparks

TEST(Sparks, NineDrawsPerSparkInOrderThenTheCrack) {
  const std::uint32_t seed = 20240611u;
  const std::vector<int> raw = drawsAfterSeed(seed, 1 + 9 * 80 + 3);
  const sf::Vector2f centre{400.f, 300.f};
  const float tile = 64.f;
  ImpactEffects effects;
  effects.spawnSparks(centre, tile, 1.1f);
  effects.addCrack(2, 5);
  const auto count = static_cast<std::size_t>((unit(raw[0]) * 18.f + 22.f) * 1.1f);
  ASSERT_EQ(effects.sparks.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    std::array<float, 9> u{};
    for (std::size_t j = 0; j < 9; ++j) {
      u[j] = unit(raw[1 + 9 * i + j]);
    }
    const Spark& s = effects.sparks[i];
    const float speed = u[1] * 4.5f + 0.8f;
    const float angle = 2.f * (u[0] * 3.14159f);
    EXPECT_FLOAT_EQ(s.velocity.x, std::cos(angle) * speed);
    EXPECT_FLOAT_EQ(s.velocity.y, std::sin(angle) * speed - 1.5f);
    EXPECT_FLOAT_EQ(s.position.x, centre.x + (u[3] - 0.5f) * tile * 0.3f);
    EXPECT_FLOAT_EQ(s.position.y, centre.y + (u[4] - 0.5f) * tile * 0.3f);
    EXPECT_FLOAT_EQ(s.radius, u[2] < 0.3f ? u[5] * 1.2f + 0.8f : u[5] * 3.5f + 1.5f);
    EXPECT_FLOAT_EQ(s.alpha, u[6] * 77.f + 178.f);
    EXPECT_FLOAT_EQ(s.fadeRate, u[7] * 5.f + 3.f);
    const sf::Color colour = u[8] < 0.6f   ? sf::Color(168, 216, 248)
                             : u[8] < 0.8f ? sf::Color(55, 138, 221)
                                           : sf::Color(255, 255, 255);
    EXPECT_EQ(s.colour, colour);
  }
  // The crack mark's two draws follow the sparks' draws.
  ASSERT_EQ(effects.cracks.size(), 1u);
  const std::size_t next = 1 + 9 * count;
  const int arms = 6 + static_cast<int>(unit(raw[next]) * 3.f);
  EXPECT_EQ(effects.cracks[0].strips.size(), static_cast<std::size_t>(arms));
  EXPECT_EQ(gameRand(), raw[next + 2]);
}

TEST(Sparks, CountRangesOverManyBursts) {
  gameSrand(4242);
  const auto range = [](float strength) {
    int lowest = 1 << 30;
    int highest = 0;
    for (int burst = 0; burst < 4000; ++burst) {
      ImpactEffects effects;
      effects.spawnSparks({0.f, 0.f}, 48.f, strength);
      const int n = static_cast<int>(effects.sparks.size());
      lowest = std::min(lowest, n);
      highest = std::max(highest, n);
    }
    return std::pair{lowest, highest};
  };
  const auto [low11, high11] = range(1.1f);
  const auto [low20, high20] = range(2.0f);
  std::cout << "spark counts seen: strength 1.1 " << low11 << " ... " << high11 << ", strength 2.0 "
            << low20 << " ... " << high20 << "\n";
  EXPECT_GE(low11, 24);
  EXPECT_LE(high11, 44);
  EXPECT_GE(low20, 44);
  EXPECT_LE(high20, 80);
  // Over 4000 bursts both ends of the range are nearly reached.
  EXPECT_LE(low11, 25);
  EXPECT_GE(high11, 43);
  EXPECT_LE(low20, 45);
  EXPECT_GE(high20, 79);

  // The extremes of the count draw.
  ImpactEffects top;
  gameSrand(seedGiving(32767));
  top.spawnSparks({0.f, 0.f}, 48.f, 2.f);
  EXPECT_EQ(top.sparks.size(), 80u);
  ImpactEffects none;
  gameSrand(1);
  none.spawnSparks({0.f, 0.f}, 48.f, 0.f);
  EXPECT_TRUE(none.sparks.empty());
  EXPECT_EQ(gameRand(), 18467) << "an empty burst still draws its count";
}

TEST(Sparks, UpdateMovesThenAppliesPullAndDrag) {
  ImpactEffects effects;
  effects.sparks.push_back(Spark{.position = {10.f, 20.f},
                                 .velocity = {2.f, -3.f},
                                 .radius = 4.f,
                                 .alpha = 100.f,
                                 .fadeRate = 10.f});
  effects.update();
  const Spark& s = effects.sparks.at(0);
  EXPECT_FLOAT_EQ(s.position.x, 12.f);  // moved with the old velocity
  EXPECT_FLOAT_EQ(s.position.y, 17.f);
  EXPECT_FLOAT_EQ(s.velocity.x, 1.9f);
  EXPECT_FLOAT_EQ(s.velocity.y, -2.774f);  // (-3 + 0.08) * 0.95
  EXPECT_FLOAT_EQ(s.radius, 3.988f);
  EXPECT_FLOAT_EQ(s.alpha, 90.f);
  effects.update();
  EXPECT_FLOAT_EQ(effects.sparks[0].position.x, 13.9f);
  EXPECT_FLOAT_EQ(effects.sparks[0].position.y, 14.226f);
  EXPECT_FLOAT_EQ(effects.sparks[0].velocity.y, (-2.774f + 0.08f) * 0.95f);

  // A resting spark sinks: the pull outweighs the drag.
  ImpactEffects still;
  still.sparks.push_back(Spark{.alpha = 200.f, .fadeRate = 1.f});
  for (int i = 0; i < 100; ++i) {
    still.update();
  }
  EXPECT_GT(still.sparks[0].position.y, 50.f);
  EXPECT_NEAR(still.sparks[0].velocity.y, 0.08f * 0.95f / 0.05f, 0.05f);  // terminal 1.52
}

TEST(Sparks, RemovalAtZeroAlphaKeepsOrder) {
  ImpactEffects effects;
  const std::array<float, 5> alphas{8.f, 50.f, 3.f, 4.f, 60.f};
  for (std::size_t i = 0; i < alphas.size(); ++i) {
    effects.sparks.push_back(
        Spark{.radius = static_cast<float>(i), .alpha = alphas[i], .fadeRate = 4.f});
  }
  effects.update();  // 4, 46, -1, 0, 56
  ASSERT_EQ(effects.sparks.size(), 3u);
  EXPECT_EQ(effects.sparks[0].radius, 0.f * 0.997f);
  EXPECT_EQ(effects.sparks[1].radius, 1.f * 0.997f);
  EXPECT_EQ(effects.sparks[2].radius, 4.f * 0.997f);
  effects.update();  // the first reaches exactly 0
  ASSERT_EQ(effects.sparks.size(), 2u);
  EXPECT_EQ(effects.sparks[0].alpha, 42.f);

  effects.addCrack(0, 0);
  effects.clear();
  EXPECT_TRUE(effects.sparks.empty());
  EXPECT_TRUE(effects.cracks.empty());
}

// ----------------------------------------------------------------- confetti

TEST(Confetti, NineDrawsPerRectangleInOrder) {
  const std::vector<int> raw = drawsAfterSeed(77, 9 * kConfettiCount + 1);
  const std::vector<Particle> particles = makeConfetti(1280.f);
  ASSERT_EQ(particles.size(), 160u);
  const std::array<sf::Color, 6> palette{sf::Color(55, 138, 221),  sf::Color(29, 158, 117),
                                         sf::Color(108, 92, 231),  sf::Color(240, 160, 48),
                                         sf::Color(168, 216, 248), sf::Color(255, 255, 255)};
  for (std::size_t i = 0; i < particles.size(); ++i) {
    SCOPED_TRACE(i);
    const Particle& p = particles[i];
    const auto u = [&](std::size_t j) { return unit(raw[9 * i + j]); };
    EXPECT_FLOAT_EQ(p.x, u(0) * 1280.f);
    EXPECT_FLOAT_EQ(p.y, -20.f - u(1) * 200.f);
    EXPECT_FLOAT_EQ(p.vx, u(2) * 4.f - 2.f);
    EXPECT_FLOAT_EQ(p.vy, u(3) * 5.f + 2.5f);
    EXPECT_FLOAT_EQ(p.width, u(4) * 9.f + 5.f);
    EXPECT_FLOAT_EQ(p.height, u(5) * 5.f + 2.f);
    EXPECT_FLOAT_EQ(p.rotation, u(6) * 360.f);
    EXPECT_FLOAT_EQ(p.spin, u(7) * 8.f - 4.f);
    EXPECT_EQ(p.colour, palette[static_cast<std::size_t>(raw[9 * i + 8] % 6)]);
    EXPECT_EQ(p.alpha, 255.f);
    EXPECT_GE(p.y, -220.f);
    EXPECT_LE(p.y, -20.f);
    EXPECT_GE(p.vy, 2.5f);
    EXPECT_LE(p.vy, 7.5f);
  }
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

  updateConfetti(particles, 0.1f, 720.f);  // y 540 is not below the line yet
  ASSERT_EQ(particles.size(), 2u);
  EXPECT_EQ(particles[0].y, 540.f);
  EXPECT_EQ(particles[0].alpha, 255.f);
  EXPECT_EQ(particles[1].x, 7.f);

  updateConfetti(particles, 1.f / 60.f, 720.f);
  EXPECT_FLOAT_EQ(particles[0].alpha, 255.f - 382.5f / 60.f);

  // The fading line follows the window's height.
  std::vector<Particle> tall{Particle{.y = 800.f, .alpha = 255.f}};
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_EQ(tall[0].alpha, 255.f);
  tall[0].y = 811.f;
  updateConfetti(tall, 0.5f, 1080.f);
  EXPECT_FLOAT_EQ(tall[0].alpha, 255.f - 191.25f);
}

TEST(EffectAlpha, ClampsThenTruncates) {
  EXPECT_EQ(effectAlpha(127.9f), 127);
  EXPECT_EQ(effectAlpha(300.f), 255);
  EXPECT_EQ(effectAlpha(-4.f), 0);
  EXPECT_EQ(effectAlpha(255.f), 255);
  EXPECT_EQ(effectAlpha(254.99f), 254);
  EXPECT_EQ(effectAlpha(0.99f), 0);
  EXPECT_EQ(effectAlpha(std::nanf("")), 0);
}
