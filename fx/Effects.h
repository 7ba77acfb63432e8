#pragma once

#include <cstdint>
#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <SFML/System/Vector2.hpp>

struct Canvas;  // render/Canvas.h, which draws the effects

struct Spark {
  sf::Vector2f position{};
  sf::Vector2f velocity{};  // pixels per frame
  float radius = 0.f;
  float alpha = 0.f;
  float fadeRate = 0.f;  // alpha lost per frame
  sf::Color colour{};
  friend bool operator==(const Spark&, const Spark&) = default;
};

// A point of a crack, in tile units relative to the cell's centre.
struct CrackPoint {
  float x = 0.f;
  float y = 0.f;
  friend bool operator==(const CrackPoint&, const CrackPoint&) = default;
};
using CrackStrip = std::vector<CrackPoint>;

// A crack mark fades from 230 by 5 a frame: it lives exactly 46 frames.
inline constexpr float kCrackStartAlpha = 230.f;
inline constexpr float kCrackFadeRate = 5.f;

struct CrackMark {
  std::int32_t row = 0;
  std::int32_t column = 0;
  float alpha = kCrackStartAlpha;
  float fadeRate = kCrackFadeRate;
  std::vector<CrackStrip> strips{};
  friend bool operator==(const CrackMark&, const CrackMark&) = default;
};

// A star of crack lines: a pure function of the arm count and seed value.
std::vector<CrackStrip> makeCrackPattern(int count, float seedValue);

// Sparks and crack marks where slides come to rest.
struct ImpactEffects {
  std::vector<Spark> sparks;
  std::vector<CrackMark> cracks;

  void spawnSparks(sf::Vector2f centre, float tileSize, float strength);
  // Draws the arm count and seed value from gameRand, then adds the mark.
  void addCrack(int row, int column);
  void update();
  void draw(Canvas& canvas, float tileSize, sf::Vector2f boardOffset) const;
  void clear();
  friend bool operator==(const ImpactEffects&, const ImpactEffects&) = default;
};

// One confetti rectangle.
struct Particle {
  float x = 0.f;
  float y = 0.f;
  float vx = 0.f;
  float vy = 0.f;
  float width = 0.f;
  float height = 0.f;
  float rotation = 0.f;  // degrees
  float spin = 0.f;      // degrees per frame
  float alpha = 255.f;
  sf::Color colour{};
};

inline constexpr int kConfettiCount = 160;

// The 160 rectangles of a win, spread over the window's width.
std::vector<Particle> makeConfetti(float windowWidth);

// One frame of confetti: per-frame motion, fading in the lowest quarter,
// removal below the window or when faded. Survivors keep their order.
void updateConfetti(std::vector<Particle>& particles, float dt, float windowHeight);

// An effect's float opacity as a colour's alpha byte: clamped, truncated.
std::uint8_t effectAlpha(float alpha);
