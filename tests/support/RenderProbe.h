#pragma once

// Helpers for the screenshot tests: the backdrop, probed pixels, where text
// ink sits, and how to play a level to its end through the keyboard.

#include <cmath>
#include <cstdlib>
#include <deque>
#include <map>
#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

#include <SFML/Graphics.hpp>

#include "app/Game.h"
#include "puzzle/Slide.h"
#include "support/TestSupport.h"

namespace probe {

// The backdrop picture at a pixel: the clear colour with a faint grid line
// every 60 pixels, inside the top-left 1280x720 only.
inline sf::Color backdrop(unsigned x, unsigned y) {
  sf::Color colour = test::kClearColour;
  if (x >= 1280 || y >= 720) return colour;
  const sf::Color grid(29, 158, 117, 10);
  if (y % 60 == 0) colour = test::blend(colour, grid);
  if (x % 60 == 0) colour = test::blend(colour, grid);
  return colour;
}

// A pixel and the colour it must have (within test::colourNear's tolerance);
// `+` draws a translucent layer over that colour.
struct Pixel {
  unsigned x, y;
  sf::Color colour;
};
inline Pixel operator+(Pixel p, sf::Color layer) {
  return {p.x, p.y, test::blend(p.colour, layer)};
}
inline Pixel onBackdrop(unsigned x, unsigned y) { return {x, y, backdrop(x, y)}; }
inline Pixel on(const sf::Image& image, unsigned x, unsigned y) {
  return {x, y, image.getPixel({x, y})};
}
inline void expectPixels(const sf::Image& image, std::initializer_list<Pixel> pixels) {
  for (const Pixel& p : pixels) {
    EXPECT_TRUE(test::colourNear(image, p.x, p.y, p.colour)) << "at " << p.x << ", " << p.y;
  }
}

// Where text (or any mark) lies in a region: the box of the pixels that differ
// from the plain background by more than the threshold (sum over r, g, b).
struct Ink {
  bool found = false;
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  sf::Color brightest;
  float centreX() const { return static_cast<float>(left + right + 1) / 2.f; }
  friend std::ostream& operator<<(std::ostream& out, const Ink& ink) {
    return out << (ink.found ? "ink" : "no ink") << " x " << ink.left << ".." << ink.right << " y "
               << ink.top << ".." << ink.bottom << " brightest rgb(" << int{ink.brightest.r} << ", "
               << int{ink.brightest.g} << ", " << int{ink.brightest.b} << ")";
  }
};

// The same over a background that varies per pixel (the backdrop's grid).
template <typename Background>
Ink findInkOver(const sf::Image& image, sf::IntRect region, Background background,
                int threshold = 45) {
  Ink ink;
  int best = -1;
  for (int y = region.position.y; y < region.position.y + region.size.y; ++y) {
    for (int x = region.position.x; x < region.position.x + region.size.x; ++x) {
      const auto ux = static_cast<unsigned>(x);
      const auto uy = static_cast<unsigned>(y);
      const sf::Color p = image.getPixel({ux, uy});
      const sf::Color b = background(ux, uy);
      const int diff = std::abs(p.r - b.r) + std::abs(p.g - b.g) + std::abs(p.b - b.b);
      if (diff <= threshold) continue;
      if (!ink.found) ink = {true, x, x, y, y, p};
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      if (diff > best) {
        best = diff;
        ink.brightest = p;
      }
    }
  }
  return ink;
}

inline Ink findInk(const sf::Image& image, sf::IntRect region, sf::Color background,
                   int threshold = 45) {
  return findInkOver(
      image, region, [background](unsigned, unsigned) { return background; }, threshold);
}

// The board beneath the win screen's overlays: the same scene drawn as in play.
inline sf::Image boardBeneath(Game& game) {
  game.state = GameState::Playing;
  const sf::Image image = test::capture(game);
  game.state = GameState::Won;
  return image;
}

// Ink found and centred on x within the tolerance (a text's bounds are
// centred, so its ink may stray by the glyphs' side bearings).
inline ::testing::AssertionResult centredOn(const Ink& ink, float x, float tolerance) {
  if (ink.found && std::abs(ink.centreX() - x) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ink << ", not centred on " << x;
}

// The shortest sequence of arrow keys that brings the figure from its cell to
// the goal, found over the board the game is playing; empty when none.
inline std::vector<sf::Keyboard::Key> solution(const Game& game) {
  using Key = sf::Keyboard::Key;
  const auto steps = solveBoard(game.board, game.rows, game.columns,
                                {.row = game.playerRow, .column = game.playerCol});
  std::vector<Key> keys;
  for (const MazeStep step : steps.value_or(std::vector<MazeStep>{})) {
    keys.push_back(step.row < 0      ? Key::Up
                   : step.row > 0    ? Key::Down
                   : step.column < 0 ? Key::Left
                                     : Key::Right);
  }
  return keys;
}

// Presses each key and lets its slide run to the end with 0.05 s frames.
// While the level goes on, the given number of extra frames follows each
// move, so that the sparks and cracks of earlier moves have faded. Nothing
// is advanced after the winning slide, so the confetti is still above the
// window.
inline void play(Game& game, const std::vector<sf::Keyboard::Key>& keys, int settleFrames = 0) {
  for (const sf::Keyboard::Key key : keys) {
    test::press(game, key);
    for (int frame = 0; frame < 10 && game.sliding; ++frame) game.update(0.05f);
    if (game.state == GameState::Playing) test::advance(game, 0.05f, settleFrames);
  }
}

// Starts the level of a digit key on the title screen and plays its shortest
// solution to the win.
inline void winLevel(Game& game, sf::Keyboard::Key digit, int settleFrames = 0) {
  test::press(game, digit);
  play(game, solution(game), settleFrames);
}

// Level 1 is the same on every start: these five slides solve it.
inline const std::vector<sf::Keyboard::Key> kLevelOneSolution = {
    sf::Keyboard::Key::Right, sf::Keyboard::Key::Down, sf::Keyboard::Key::Left,
    sf::Keyboard::Key::Down, sf::Keyboard::Key::Right};

// Six paths that do not exist: the game runs without any font.
inline FontPaths missingFonts() {
  return {{"no-such-dir/mono-a.ttf", "no-such-dir/mono-b.ttf", "no-such-dir/mono-c.ttf"},
          {"no-such-dir/display-a.ttf", "no-such-dir/display-b.ttf", "no-such-dir/display-c.ttf"}};
}

}  // namespace probe
