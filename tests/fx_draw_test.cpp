// Crack marks, sparks and confetti as drawn, each on a plain black target.
#include <cmath>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/Effects.h"
#include "support/TestSupport.h"

namespace {

const sf::Color kCrackColour{168, 216, 248};
const sf::Color kBlack{0, 0, 0};

sf::Image drawEffects(const ImpactEffects& effects, float tile, sf::Vector2f offset) {
  sf::RenderTexture target({256, 256});
  target.clear(kBlack);
  effects.draw(target, tile, offset);
  target.display();
  return target.getTexture().copyToImage();
}

// Whether any pixel within one pixel of (x, y) has the colour.
bool litNear(const sf::Image& image, sf::Vector2f at, sf::Color colour) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (test::colourNear(image, static_cast<unsigned>(std::lround(at.x) + dx),
                           static_cast<unsigned>(std::lround(at.y) + dy), colour)) {
        return true;
      }
    }
  }
  return false;
}

// A point `distance` pixels out along arm i of the straight six-arm star.
sf::Vector2f alongArm(sf::Vector2f centre, int arm, float distance) {
  const float direction = -0.36f + static_cast<float>(arm) * 6.28318f / 6.f;
  return {centre.x + std::cos(direction) * distance, centre.y + std::sin(direction) * distance};
}

CrackMark straightStar(int row, int column, float alpha) {
  return CrackMark{
      .row = row, .column = column, .alpha = alpha, .strips = makeCrackPattern(6, 0.f)};
}

}  // namespace

TEST(EffectDrawing, CrackStripsScaleWithTheTile) {
  for (const float tile : {64.f, 36.f}) {
    SCOPED_TRACE(tile);
    ImpactEffects effects;
    effects.cracks.push_back(straightStar(1, 2, 255.f));
    const sf::Vector2f offset{20.f, 10.f};
    const sf::Image image = drawEffects(effects, tile, offset);
    const sf::Vector2f centre{offset.x + 2.f * tile + tile / 2.f, offset.y + tile + tile / 2.f};
    const float armLength = 0.25f * tile;  // 16 pixels on level 1, 9 on level 5
    for (int arm = 0; arm < 6; ++arm) {
      SCOPED_TRACE(arm);
      EXPECT_TRUE(litNear(image, alongArm(centre, arm, armLength * 0.5f), kCrackColour));
      EXPECT_TRUE(litNear(image, alongArm(centre, arm, armLength - 1.5f), kCrackColour));
      EXPECT_FALSE(litNear(image, alongArm(centre, arm, armLength + 4.f), kCrackColour));
    }
  }
}

TEST(EffectDrawing, AlphaIsClampedAndTruncatedAndSparksLieOverCracks) {
  ImpactEffects effects;
  effects.cracks.push_back(straightStar(0, 0, 127.9f));
  const auto spark = [](sf::Vector2f at, float alpha, sf::Color colour) {
    return Spark{.position = at, .radius = 4.f, .alpha = alpha, .colour = colour};
  };
  // Added before the crack, still drawn over it.
  const sf::Vector2f onArm = alongArm({32.f, 32.f}, 3, 10.f);
  effects.sparks = {spark(onArm, 255.f, {255, 255, 255}), spark({100, 50}, 300.f, {55, 138, 221}),
                    spark({150, 50}, -4.f, {255, 255, 255}),
                    spark({200, 50}, 127.9f, {255, 255, 255})};
  const sf::Image image = drawEffects(effects, 64.f, {0.f, 0.f});
  const sf::Color half = test::blend(kBlack, sf::Color(168, 216, 248, 127));
  EXPECT_TRUE(litNear(image, alongArm({32.f, 32.f}, 0, 8.f), half));
  EXPECT_FALSE(litNear(image, alongArm({32.f, 32.f}, 0, 8.f), kCrackColour));
  EXPECT_TRUE(test::colourNear(image, static_cast<unsigned>(onArm.x),
                               static_cast<unsigned>(onArm.y), {255, 255, 255}));
  EXPECT_TRUE(test::colourNear(image, 100, 50, {55, 138, 221}));
  EXPECT_TRUE(test::colourNear(image, 150, 50, kBlack));
  EXPECT_TRUE(test::colourNear(image, 200, 50, test::blend(kBlack, {255, 255, 255, 127})));
  // The circle is centred on the spark's position with the spark's radius.
  EXPECT_TRUE(test::colourNear(image, 102, 50, {55, 138, 221}));
  EXPECT_TRUE(test::colourNear(image, 106, 50, kBlack));
}

TEST(EffectDrawing, ConfettiTurnsAboutItsCentre) {
  Game game;
  game.particles = {Particle{.x = 100.f,
                             .y = 100.f,
                             .width = 20.f,
                             .height = 8.f,
                             .rotation = 90.f,
                             .alpha = 255.f,
                             .colour = {240, 160, 48}},
                    Particle{.x = 200.f,
                             .y = 100.f,
                             .width = 20.f,
                             .height = 8.f,
                             .alpha = 127.9f,
                             .colour = {255, 255, 255}}};
  game.window.clear(kBlack);
  game.drawConfetti();
  const sf::Image image = test::grab(game.window);
  // Turned upright: 8 wide, 20 high around (100, 100).
  EXPECT_TRUE(test::colourNear(image, 100, 108, {240, 160, 48}));
  EXPECT_TRUE(test::colourNear(image, 100, 92, {240, 160, 48}));
  EXPECT_TRUE(test::colourNear(image, 108, 100, kBlack));
  EXPECT_TRUE(test::colourNear(image, 92, 100, kBlack));
  EXPECT_TRUE(test::colourNear(image, 208, 101, test::blend(kBlack, {255, 255, 255, 127})));
  EXPECT_TRUE(test::colourNear(image, 200, 106, kBlack));
}
