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

namespace test {

using namespace autoplay;

inline constexpr float kFrame = 0.05f;

// The digit key that starts a level on the title screen (0 for level 1).
inline Key digit(int level) { return static_cast<Key>(static_cast<int>(Key::Num1) + level); }

// Runs update for the given number of frames.
inline void advance(Game& game, int count = 1, float dt = kFrame) { frames(game, count, dt); }
// Starts the level of a digit key on the title screen and plays its fewest
// slides to the win, running nothing after the winning slide.
inline void win(Game& game, Key digit) {
  press(game, digit);
  play(game, solution(game), kFrame);
}

// A board with every inner wall open (the last column's and row's flags set).
inline Board openBoard(int rows, int columns) {
  Board board(std::size_t(rows), std::vector<Cell>(std::size_t(columns), Cell{false, false}));
  for (auto& row : board) row.back().eastWall = true;
  for (Cell& cell : board.back()) cell.southWall = true;
  return board;
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
