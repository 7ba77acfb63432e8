#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <SFML/Graphics.hpp>

#include "puzzle/Maze.h"
#include "puzzle/Solver.h"

struct Game;

namespace test {

// The fewest slides from the start to the goal, or -1 when none.
inline int slideCount(const Board& board, int rows, int columns) {
  const auto steps = solveBoard(board, rows, columns);
  return steps ? static_cast<int>(steps->size()) : -1;
}

// Real events, as the window would deliver them.
sf::Event keyPress(sf::Keyboard::Key key);
inline sf::Event textEntered(char32_t character) { return sf::Event::TextEntered{character}; }
inline sf::Event closed() { return sf::Event::Closed{}; }
inline sf::Event resized(unsigned w, unsigned h) { return sf::Event::Resized{{w, h}}; }
inline sf::Event focusLost() { return sf::Event::FocusLost{}; }

// Feeds events through the game's own handler, in order; stops like the
// window's drain does when an event closes the window.
void send(Game& game, std::initializer_list<sf::Event> events);
void press(Game& game, sf::Keyboard::Key key);
void press(Game& game, std::initializer_list<sf::Keyboard::Key> keys);  // one burst
void type(Game& game, const std::string& text);                         // text events, one per byte

// Runs update(dt) for the given number of frames.
void advance(Game& game, float dt, int frames = 1);

// Presses a key and runs the three 0.05 s frames that end its 0.13 s slide.
void move(Game& game, sf::Keyboard::Key key);

// Draws the current frame (without presenting it) and reads it back; with a
// name, also saves it to the temporary directory for a person to look at.
sf::Image capture(Game& game);
sf::Image capture(Game& game, const std::string& inspectionName);
void saveForInspection(const sf::Image& image, const std::string& name);

// Reads back what has been drawn into the window since it was last cleared.
sf::Image grab(sf::RenderWindow& window);

// What the frame buffer holds after drawing src over dst with alpha blending.
sf::Color blend(sf::Color dst, sf::Color src);

// A pixel within tolerance (per channel, red/green/blue only).
::testing::AssertionResult colourNear(const sf::Image& image, unsigned x, unsigned y,
                                      sf::Color expected, int tolerance = 2);

inline constexpr sf::Color kClearColour{4, 8, 16, 255};

// A board's wall flags as text, one string per row, '1' for a wall.
std::vector<std::string> eastWalls(const Board& board);
std::vector<std::string> southWalls(const Board& board);

// Level 1 (seed 57047) as it must come out of the generator.
inline const std::vector<std::string> kLevelOneEast{
    "000110101", "001101011", "101100001", "001110101", "001110001", "000100001", "000000001"};
inline const std::vector<std::string> kLevelOneSouth{
    "111000000", "010011110", "011001110", "110000101", "011001111", "011111110", "111111111"};

// A board with every inner wall open (the last column's and row's flags set).
Board openBoard(int rows, int columns);

// The state before `state` for the step state * a + c modulo 2^32 (a odd).
std::uint32_t stepBack(std::uint32_t state, std::uint32_t a, std::uint32_t c);

// The next `count` values of the effects' generator after gameSrand(seed);
// the generator is left seeded with `seed` again, so the same values follow.
std::vector<int> randDraws(std::uint32_t seed, int count);

// A seed after which the next gameRand() returns `value`.
inline std::uint32_t seedGiving(int value) {
  return stepBack(static_cast<std::uint32_t>(value) << 16, 214013u, 2531011u);
}

// Polls until the condition holds or the bound has passed.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace test
