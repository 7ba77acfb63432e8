#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Walls to the east and to the south of a cell; the north and west walls are
// the neighbours' flags, and the outer edges are not stored.
struct Cell {
  bool eastWall = true;
  bool southWall = true;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Indexed [row][column], row 0 at the top.
using Board = std::vector<std::vector<Cell>>;

// The board generator's own random source, independent of the effects' rand.
struct MazeRandom {
  std::uint32_t state = 0;
  std::uint32_t next();
};

// Fisher-Yates position from one draw, in single precision; the few states
// that round up to 2^32 are kept on the last valid position.
int shuffleIndex(std::uint32_t draw, int multiplier);

// A direction as (row step, column step).
struct MazeStep {
  int row = 0;
  int column = 0;
  friend bool operator==(const MazeStep&, const MazeStep&) = default;
};

// Up, down, left, right shuffled from the back by a cell's three draws: the
// order in which the cell tries its neighbours.
std::array<MazeStep, 4> shuffledSteps(std::uint32_t u1, std::uint32_t u2, std::uint32_t u3);

Board generateMaze(int columns, int rows, std::uint32_t seed);

// Shared state of one generation, handed down the recursion.
struct MazeCarving {
  Board& board;
  std::vector<std::vector<bool>> visited;
  MazeRandom random;
  int rows = 0;
  int columns = 0;
};
void carveFrom(MazeCarving& carving, int row, int column);

// Seed of a level: fixed for levels 1-4, the clock's low 32 bits for level 5.
std::uint32_t levelSeed(int index, std::int64_t clockSeconds);

// The board a level is played on. Level 5 skips to the next seed until its
// goal can be reached; retries, when given, receives how many seeds were
// skipped.
Board generateLevelBoard(int index, std::int64_t clockSeconds, int* retries = nullptr);
