#include "fx/Effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "fx/GameRandom.h"
#include "render/Look.h"

namespace {

constexpr std::array<sf::Color, 6> kConfettiPalette{
    look::kDeepBlue, look::kGreen, look::kViolet, look::kAmber, look::kPaleBlue, look::kWhite,
};

}  // namespace

std::vector<CrackStrip> makeCrackPattern(int count, float seedValue) {
  std::vector<CrackStrip> strips;
  if (count <= 0) {
    return strips;
  }
  strips.reserve(static_cast<std::size_t>(count));
  const float s = seedValue;
  const float step = 6.28318f / static_cast<float>(count);
  for (int i = 0; i < count; ++i) {
    const auto fi = static_cast<float>(i);
    // Products left to right in single precision: the pattern must not
    // shift with the compiler's choice of precision.
    const float angle =
        (std::fmod(static_cast<float>(i + 1) * s * 0.37f, 1.f) - 0.5f) * 0.6f + fi * step;
    const float length = std::fmod(static_cast<float>(i + 2) * s * 0.13f, 1.f) * 0.35f + 0.25f;
    const int joints = (i % 2 == 0) ? 2 : 3;
    CrackStrip strip;
    strip.reserve(static_cast<std::size_t>(joints) + 1);
    strip.push_back({0.f, 0.f});
    for (int k = 1; k <= joints; ++k) {
      const float frac = static_cast<float>(k) / static_cast<float>(joints);
      const float bend =
          angle + (std::fmod(static_cast<float>(10 * i + k) * s * 0.17f, 1.f) - 0.5f) * 0.12f;
      strip.push_back({std::cos(bend) * length * frac, std::sin(bend) * length * frac});
    }
    strips.push_back(std::move(strip));
  }
  return strips;
}

void ImpactEffects::spawnSparks(sf::Vector2f centre, float tileSize, float strength) {
  const int count = static_cast<int>((randUnit() * 18.f + 22.f) * strength);
  if (count <= 0) {
    return;
  }
  sparks.reserve(sparks.size() + static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    // Nine draws per spark, one statement each: the order is the look.
    const float a = randUnit() * 3.14159f;
    const float speed = randUnit() * 4.5f + 0.8f;
    const bool small = randUnit() < 0.3f;
    Spark spark;
    spark.position.x = centre.x + (randUnit() - 0.5f) * tileSize * 0.3f;
    spark.position.y = centre.y + (randUnit() - 0.5f) * tileSize * 0.3f;
    spark.velocity.x = std::cos(2.f * a) * speed;
    spark.velocity.y = std::sin(2.f * a) * speed - 1.5f;  // kicked upwards
    const float sizeDraw = randUnit();
    spark.radius = small ? sizeDraw * 1.2f + 0.8f : sizeDraw * 3.5f + 1.5f;
    spark.alpha = randUnit() * 77.f + 178.f;
    spark.fadeRate = randUnit() * 5.f + 3.f;
    const float tint = randUnit();
    spark.colour = tint < 0.6f ? look::kPaleBlue : (tint < 0.8f ? look::kDeepBlue : look::kWhite);
    sparks.push_back(spark);
  }
}

void ImpactEffects::addCrack(int row, int column) {
  const int countDraw = gameRand();
  const int seedDraw = gameRand();
  const auto rangeMax = static_cast<float>(kGameRandMax);
  const int count = 6 + static_cast<int>(static_cast<float>(countDraw) / rangeMax * 3.f);
  const float seedValue = static_cast<float>(seedDraw) / rangeMax * 999.f;
  cracks.push_back(CrackMark{.row = row,
                             .column = column,
                             .alpha = kCrackStartAlpha,
                             .fadeRate = kCrackFadeRate,
                             .strips = makeCrackPattern(count, seedValue)});
}

void ImpactEffects::update() {
  for (Spark& spark : sparks) {
    spark.position += spark.velocity;
    spark.velocity.y = (spark.velocity.y + 0.08f) * 0.95f;
    spark.velocity.x = spark.velocity.x * 0.95f;
    spark.radius = spark.radius * 0.997f;
    spark.alpha -= spark.fadeRate;
  }
  std::erase_if(sparks, [](const Spark& spark) { return spark.alpha <= 0.f; });
  for (CrackMark& crack : cracks) {
    crack.alpha -= crack.fadeRate;
  }
  std::erase_if(cracks, [](const CrackMark& crack) { return crack.alpha <= 0.f; });
}

void ImpactEffects::clear() {
  sparks.clear();
  cracks.clear();
}

std::vector<Particle> makeConfetti(float windowWidth) {
  std::vector<Particle> particles;
  particles.reserve(kConfettiCount);
  for (int i = 0; i < kConfettiCount; ++i) {
    Particle p;
    p.x = randUnit() * windowWidth;
    p.y = -20.f - randUnit() * 200.f;  // 20 to 220 pixels above the window
    p.vx = randUnit() * 4.f - 2.f;
    p.vy = randUnit() * 5.f + 2.5f;
    p.width = randUnit() * 9.f + 5.f;
    p.height = randUnit() * 5.f + 2.f;
    p.rotation = randUnit() * 360.f;
    p.spin = randUnit() * 8.f - 4.f;
    p.colour = kConfettiPalette[static_cast<std::size_t>(gameRand() % 6)];
    p.alpha = 255.f;
    particles.push_back(p);
  }
  return particles;
}

void updateConfetti(std::vector<Particle>& particles, float dt, float windowHeight) {
  const float fadeLine = windowHeight * 0.75f;
  for (Particle& p : particles) {
    p.x += p.vx;
    p.y += p.vy;
    p.rotation += p.spin;
    if (p.y > fadeLine) {
      p.alpha -= dt * 255.f * 1.5f;
    }
  }
  const float bottom = windowHeight + 20.f;
  std::erase_if(particles, [bottom](const Particle& p) { return p.y > bottom || p.alpha <= 0.f; });
}

std::uint8_t effectAlpha(float alpha) {
  if (!(alpha > 0.f)) {  // also catches NaN
    return 0;
  }
  return static_cast<std::uint8_t>(std::min(alpha, 255.f));
}
