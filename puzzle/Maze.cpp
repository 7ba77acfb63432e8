#include "puzzle/Maze.h"

#include <array>
#include <cstddef>
#include <utility>

#include "puzzle/Levels.h"
#include "puzzle/Slide.h"
#include "puzzle/Solver.h"

std::uint32_t MazeRandom::next() {
  state = state * 1664525u + 1013904223u;
  return state;
}

int shuffleIndex(std::uint32_t draw, int multiplier) {
  // Single precision throughout: the draw rounds to the nearest float, the
  // scale by 2^-32 is exact, the product rounds once more and is truncated.
  const float unit = static_cast<float>(draw) * 0x1p-32f;
  const int index = static_cast<int>(unit * static_cast<float>(multiplier));
  // States from 4294967168 up round to 2^32 and would give one past the end.
  return index < multiplier ? index : multiplier - 1;
}

std::array<MazeStep, 4> shuffledSteps(std::uint32_t u1, std::uint32_t u2, std::uint32_t u3) {
  std::array<MazeStep, 4> steps{{{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};
  std::swap(steps[3], steps[static_cast<std::size_t>(shuffleIndex(u1, 4))]);
  std::swap(steps[2], steps[static_cast<std::size_t>(shuffleIndex(u2, 3))]);
  std::swap(steps[1], steps[static_cast<std::size_t>(shuffleIndex(u3, 2))]);
  return steps;
}

namespace {

Cell& cellAt(Board& board, int row, int column) {
  return board[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace

void carveFrom(MazeCarving& carving, int row, int column) {
  carving.visited[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = true;
  // All three draws of a cell come before any of its neighbours' draws.
  const std::uint32_t u1 = carving.random.next();
  const std::uint32_t u2 = carving.random.next();
  const std::uint32_t u3 = carving.random.next();
  for (const MazeStep step : shuffledSteps(u1, u2, u3)) {
    const int nextRow = row + step.row;
    if (nextRow < 0 || nextRow >= carving.rows) {
      continue;
    }
    const int nextColumn = column + step.column;
    if (nextColumn < 0 || nextColumn >= carving.columns) {
      continue;
    }
    if (carving.visited[static_cast<std::size_t>(nextRow)][static_cast<std::size_t>(nextColumn)]) {
      continue;
    }
    if (step.row == 1) {
      cellAt(carving.board, row, column).southWall = false;
    } else if (step.row == -1) {
      cellAt(carving.board, nextRow, nextColumn).southWall = false;
    } else if (step.column == 1) {
      cellAt(carving.board, row, column).eastWall = false;
    } else {
      cellAt(carving.board, nextRow, nextColumn).eastWall = false;
    }
    carveFrom(carving, nextRow, nextColumn);
  }
}

Board generateMaze(int columns, int rows, std::uint32_t seed) {
  Board board(static_cast<std::size_t>(rows),
              std::vector<Cell>(static_cast<std::size_t>(columns), Cell{true, true}));
  MazeCarving carving{
      .board = board,
      .visited = std::vector<std::vector<bool>>(
          static_cast<std::size_t>(rows), std::vector<bool>(static_cast<std::size_t>(columns))),
      .random = MazeRandom{seed},
      .rows = rows,
      .columns = columns,
  };
  carveFrom(carving, 0, 0);
  return board;
}

std::uint32_t levelSeed(int index, std::int64_t clockSeconds) {
  if (index == kLastLevel) {
    return static_cast<std::uint32_t>(clockSeconds);
  }
  return static_cast<std::uint32_t>(index) * 57005u + 57047u;
}

Board generateLevelBoard(int index, std::int64_t clockSeconds, int* retries) {
  const LevelInfo& level = kLevels[static_cast<std::size_t>(index)];
  std::uint32_t seed = levelSeed(index, clockSeconds);
  Board board = generateMaze(level.columns, level.rows, seed);
  int skipped = 0;
  // The clock's board may have a goal no sequence of slides can rest on; the
  // next seeds are tried until one can be won. Levels 1-4 are all winnable.
  if (index == kLastLevel) {
    while (!solveBoard(board, level.rows, level.columns)) {
      ++seed;
      ++skipped;
      board = generateMaze(level.columns, level.rows, seed);
    }
  }
  if (retries != nullptr) {
    *retries = skipped;
  }
  return board;
}
