#pragma once

// Helpers of the tests, beside the game's keyboard driver (tools/Autoplay.h).

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <SFML/Graphics.hpp>

#include "app/Platform.h"
#include "fx/GameRandom.h"
#include "puzzle/Maze.h"
#include "tools/Autoplay.h"

struct Game;

namespace test {

using namespace autoplay;

// Sanitizer builds run several times slower and reserve address space.
inline constexpr bool kSanitized =
    __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);

inline constexpr float kFrame = 0.05f;

// The digit key that starts a level on the title screen (0 for level 1).
inline Key digit(int level) { return static_cast<Key>(static_cast<int>(Key::Num1) + level); }

// Runs update for the given number of frames.
inline void advance(Game& game, int count = 1, float dt = kFrame) { frames(game, count, dt); }
// Presses a key and runs the three frames that end its 0.13 s slide.
inline void move(Game& game, Key key) {
  press(game, key);
  advance(game, 3);
}
// Starts the level of a digit key on the title screen and plays its fewest
// slides to the win, running nothing after the winning slide.
inline void win(Game& game, Key digit) {
  press(game, digit);
  play(game, solution(game), kFrame);
}

// The frame as drawn (not presented), read back.
sf::Image capture(Game& game);
// Keeps a picture in the build's frames/ folder, for a person to look at.
std::string saveForInspection(const sf::Image& image, const std::string& name);

// Six font paths that do not exist.
inline FontPaths missingFonts() { return {{"no/1", "no/2", "no/3"}, {"no/4", "no/5", "no/6"}}; }

// A board with every inner wall open (the last column's and row's flags set).
inline Board openBoard(int rows, int columns) {
  Board board(std::size_t(rows), std::vector<Cell>(std::size_t(columns), Cell{false, false}));
  for (auto& row : board) row.back().eastWall = true;
  for (Cell& cell : board.back()) cell.southWall = true;
  return board;
}

// The state before `state` for the step state * a + c modulo 2^32 (a odd).
inline std::uint32_t stepBack(std::uint32_t state, std::uint32_t a, std::uint32_t c) {
  std::uint32_t inverse = a;  // a is odd, so invertible modulo 2^32 (Newton's iteration)
  for (int i = 0; i < 5; ++i) inverse *= 2u - a * inverse;
  return (state - c) * inverse;
}

// The next values of the effects' generator after gameSrand(seed); it is left
// seeded with `seed` again, so the same values follow.
inline std::vector<int> randDraws(std::uint32_t seed, int count) {
  gameSrand(seed);
  std::vector<int> values(static_cast<std::size_t>(count));
  for (int& value : values) value = gameRand();
  gameSrand(seed);
  return values;
}

// Polls until the condition holds or the bound has passed.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
  for (const auto deadline = std::chrono::steady_clock::now() + bound; !condition();) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace test
