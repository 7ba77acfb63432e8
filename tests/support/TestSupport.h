#pragma once

// Helpers of the tests, beside the game's keyboard driver (tools/Autoplay.h).

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <SFML/Graphics.hpp>

#include "app/Platform.h"
#include "puzzle/Maze.h"
#include "tools/Autoplay.h"

struct Game;

namespace test {

using namespace autoplay;

// Sanitizer builds run several times slower and reserve address space.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kSanitized =
    __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
inline constexpr bool kSanitized = false;
#endif

inline constexpr float kFrame = 0.05f;

// Runs update for the given number of frames.
void advance(Game& game, int frames = 1, float dt = kFrame);
// Presses a key and runs the three frames that end its 0.13 s slide.
void move(Game& game, Key key);
// Starts the level of a digit key on the title screen and plays its fewest
// slides to the win, running nothing after the winning slide.
void win(Game& game, Key digit);

// The frame as drawn (not presented), read back; what has been drawn into a
// window since it was last cleared.
sf::Image capture(Game& game);
sf::Image grab(sf::RenderWindow& window);
// Keeps a picture in the build's frames/ folder, for a person to look at.
std::string saveForInspection(const sf::Image& image, const std::string& name);

// Six font paths that do not exist.
FontPaths missingFonts();

// A board with every inner wall open (the last column's and row's flags set).
Board openBoard(int rows, int columns);

// The state before `state` for the step state * a + c modulo 2^32 (a odd).
std::uint32_t stepBack(std::uint32_t state, std::uint32_t a, std::uint32_t c);

// The next values of the effects' generator after gameSrand(seed); it is left
// seeded with `seed` again, so the same values follow.
std::vector<int> randDraws(std::uint32_t seed, int count);

// A seed after which the next gameRand() returns `value`.
inline std::uint32_t seedGiving(int value) {
  return stepBack(static_cast<std::uint32_t>(value) << 16, 214013u, 2531011u);
}

// Polls until the condition holds or the bound has passed.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace test
