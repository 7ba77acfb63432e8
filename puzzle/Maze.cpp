#include "puzzle/Maze.h"

std::uint32_t MazeRandom::next() { return state; }
int shuffleIndex(std::uint32_t /*draw*/, int /*multiplier*/) { return 0; }
Board generateMaze(int columns, int rows, std::uint32_t /*seed*/) {
  return Board(static_cast<std::size_t>(rows), std::vector<Cell>(static_cast<std::size_t>(columns)));
}
void carveFrom(MazeCarving& /*carving*/, int /*row*/, int /*column*/) {}
std::uint32_t levelSeed(int /*index*/, std::int64_t /*clockSeconds*/) { return 0; }
int shortestSolution(const Board& /*board*/, int /*rows*/, int /*columns*/) { return -1; }
Board generateLevelBoard(int /*index*/, std::int64_t /*clockSeconds*/, int* /*retries*/) { return {}; }
