// The maze generator, the slide rule and the solver, without a window.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "puzzle/Levels.h"
#include "puzzle/Solver.h"
#include "support/TestSupport.h"

namespace {

constexpr MazeStep kUp{-1, 0}, kDown{1, 0}, kLeft{0, -1}, kRight{0, 1};
using Steps = std::vector<MazeStep>;

std::vector<std::string> walls(const Board& board, bool Cell::* wall) {
  std::vector<std::string> rows(board.size());
  for (std::size_t r = 0; r < board.size(); ++r) {
    for (const Cell& cell : board[r]) rows[r] += cell.*wall ? '1' : '0';
  }
  return rows;
}

// A spanning tree: every outer flag set, and cells - 1 inner openings that
// join all cells without closing a loop.
bool perfect(const Board& board) {
  const auto rows = static_cast<int>(board.size()), columns = static_cast<int>(board[0].size());
  std::vector<int> parent(std::size_t(rows * columns));
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&parent](int i) {
    while (parent[std::size_t(i)] != i) i = parent[std::size_t(i)];
    return i;
  };
  int joined = 0;
  for (int i = 0; i < rows * columns; ++i) {
    const Cell& cell = board[std::size_t(i / columns)][std::size_t(i % columns)];
    const bool lastColumn = i % columns == columns - 1, lastRow = i / columns == rows - 1;
    if ((lastColumn && !cell.eastWall) || (lastRow && !cell.southWall)) return false;
    for (const int next : {cell.eastWall ? i : i + 1, cell.southWall ? i : i + columns}) {
      if (next == i) continue;
      if (root(i) == root(next)) return false;
      parent[std::size_t(root(i))] = root(next);
      ++joined;
    }
  }
  return joined == rows * columns - 1;
}

int slideCount(const Board& board) {
  const auto steps = solveBoard(board, int(board.size()), int(board[0].size()));
  return steps ? static_cast<int>(steps->size()) : -1;
}

}  // namespace

// Level 1 whole and level 2's first row, whatever the clock. The seeds of
// levels 3 and 4 show in their fewest slides (Solver), level 5's in LevelFive.
TEST(MazeGenerator, TheFirstBoardsAndTheShuffleInSinglePrecision) {
  const Board one = generateLevelBoard(0, 1234567);
  EXPECT_EQ(walls(one, &Cell::eastWall),
            (std::vector<std::string>{"000110101", "001101011", "101100001", "001110101",
                                      "001110001", "000100001", "000000001"}));
  EXPECT_EQ(walls(one, &Cell::southWall),
            (std::vector<std::string>{"111000000", "010011110", "011001110", "110000101",
                                      "011001111", "011111110", "111111111"}));
  const Board two = generateLevelBoard(1, 0);
  EXPECT_EQ(walls(two, &Cell::eastWall)[0] + walls(two, &Cell::southWall)[0],
            std::string("00100001001") + "11011101000");
  // Exact arithmetic would give 2 and 0 for the second and third; the float
  // roundings give 3 and 1. From 4294967168 on the index stays on the last place.
  EXPECT_EQ(std::vector<int>({shuffleIndex(0x40000000u, 4), shuffleIndex(3221225471u, 4),
                              shuffleIndex(1431655765u, 3), shuffleIndex(4294967167u, 3),
                              shuffleIndex(4294967168u, 4), shuffleIndex(4294967295u, 2)}),
            std::vector<int>({1, 3, 1, 2, 3, 1}));
}

TEST(MazeGenerator, PerfectMazesOverManySeeds) {
  // The last seed's first draw is one of the states whose float rounds up to 2^32.
  const std::uint32_t roundsUp = test::stepBack(4294967295u, 1664525u, 1013904223u);
  ASSERT_EQ(MazeRandom{roundsUp}.next(), 4294967295u);
  for (const LevelInfo& level : kLevels) {
    for (std::uint32_t n = 0; n <= 2000; ++n) {
      const std::uint32_t seed = n < 2000 ? n * 2654435761u : roundsUp;
      ASSERT_TRUE(perfect(generateMaze(level.columns, level.rows, seed))) << seed;
    }
  }
}

TEST(Slide, StopsAtEdgesAndWallsAndOnlyThere) {
  Board board = test::openBoard(5, 6);
  board[2][3].eastWall = true;                           // between (2, 3) and (2, 4)
  board[1][2].southWall = true;                          // between (1, 2) and (2, 2)
  board[3][1].southWall = board[2][4].southWall = true;  // side walls do not stop a slide
  using Passed = std::vector<PassedCell>;                // as (column, row), the end cell last
  for (const auto& [from, step, passed] :
       std::initializer_list<std::tuple<GridCell, MazeStep, Passed>>{
           {{3, 0}, kRight, {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}}},  // to the edge
           {{2, 0}, kRight, {{1, 2}, {2, 2}, {3, 2}}},                  // to a wall
           {{0, 2}, kDown, {{2, 1}}},
           {{4, 2}, kUp, {{2, 3}, {2, 2}}},
           {{2, 3}, kRight, {}},                                // into a wall: blocked
           {{0, 0}, kUp, {}},                                   // at the edge: blocked
           {{4, 5}, kUp, {{5, 3}, {5, 2}, {5, 1}, {5, 0}}}}) {  // the goal holds nothing
    const SlideResult slide = traceSlide(board, from.row, from.column, step.row, step.column, 5, 6);
    const PassedCell end = passed.empty() ? PassedCell{from.column, from.row} : passed.back();
    EXPECT_EQ(std::tuple(slide.passed, slide.endColumn, slide.endRow),
              std::tuple(passed, end.column, end.row));
  }
}

// Their moves played out win: the soak plays them on every level.
TEST(Solver, FewestSlidesFromAnyCell) {
  EXPECT_EQ(std::vector<int>(
                {slideCount(generateLevelBoard(0, 0)), slideCount(generateLevelBoard(1, 0)),
                 slideCount(generateLevelBoard(2, 0)), slideCount(generateLevelBoard(3, 0))}),
            std::vector<int>({5, 12, 29, 41}));
  const Board open = test::openBoard(4, 4);
  EXPECT_EQ(solveBoard(open, 4, 4, {3, 0}), (Steps{kRight}));
  EXPECT_EQ(solveBoard(open, 4, 4, {3, 3}), Steps{});
  Board board = test::openBoard(3, 3);
  board[1][2].southWall = true;  // above the goal: the way along the bottom row is left
  EXPECT_EQ(solveBoard(board, 3, 3), (Steps{kDown, kRight}));
  board[2][1].eastWall = true;  // and left of it: no slide can come to rest there
  EXPECT_EQ(slideCount(board), -1);
}

TEST(LevelFive, TheFirstWinnableBoardFromTheClock) {
  const LevelInfo& level = kLevels[kLastLevel];
  int retried = 0;
  // Past 2^32 seconds, so the seed must be the clock's low 32 bits.
  for (std::int64_t clock = (1LL << 32) + 1700000000; clock < (1LL << 32) + 1700010000; ++clock) {
    int retries = -1;
    const Board board = generateLevelBoard(kLastLevel, clock, &retries);
    for (int k = 0; k <= retries; ++k) {  // the seeds skipped have no way, the one kept has
      const Board tried =
          generateMaze(level.columns, level.rows, std::uint32_t(clock) + std::uint32_t(k));
      ASSERT_EQ(slideCount(tried) >= 1, k == retries) << clock;
      ASSERT_TRUE(k < retries || board == tried) << clock;
    }
    retried += retries > 0 ? 1 : 0;
  }
  EXPECT_GT(retried, 0);  // both kinds of clock occur
  EXPECT_LT(retried, 10000);
}
