// The maze generator, the slide rule and the solver, without a window.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "puzzle/Levels.h"
#include "puzzle/Solver.h"
#include "support/TestSupport.h"

namespace {

constexpr MazeStep kUp{-1, 0}, kRight{0, 1};

// A spanning tree: one opening fewer than the cells, none of them closing a
// loop. An open flag on the border joins cells that are not neighbours, or
// none (the last row's south flags).
std::size_t root(const std::vector<std::size_t>& parent, std::size_t i) {
  return parent[i] == parent.size() ? i : root(parent, parent[i]);
}
bool perfect(const Board& board) {
  const std::size_t columns = board[0].size(), cells = board.size() * columns;
  std::vector<std::size_t> parent(cells, cells);  // each cell its own root
  std::size_t openings = 0;
  for (std::size_t i = 0; i < cells; ++i) {
    const Cell& cell = board[i / columns][i % columns];
    for (const std::size_t next : {cell.eastWall ? i : i + 1, cell.southWall ? i : i + columns}) {
      if (next == i || next >= cells) continue;
      if (root(parent, i) == root(parent, next)) return false;
      parent[root(parent, i)] = root(parent, next);
      ++openings;
    }
  }
  return openings == cells - 1;
}

int slideCount(const Board& board) {
  const auto steps = solveBoard(board, int(board.size()), int(board[0].size()));
  return steps ? static_cast<int>(steps->size()) : -1;
}

}  // namespace

// Exact arithmetic would shuffle to 2 and 0 where the float roundings give 3
// and 1, and from 4294967168 on the index stays on the last place. The boards
// themselves: levels 1 and 2 in the pictures (docs/), their fewest slides and
// those of levels 3 and 4 (Solver), level 5 (LevelFive).
TEST(MazeGenerator, TheShuffleInSinglePrecision) {
  EXPECT_EQ(std::pair(shuffleIndex(3221225471u, 4), shuffleIndex(1431655765u, 3)), std::pair(3, 1));
  EXPECT_EQ(std::pair(shuffleIndex(4294967168u, 4), shuffleIndex(4294967295u, 2)), std::pair(3, 1));
}

TEST(MazeGenerator, PerfectMazesOverManySeeds) {
  // The first seed's first draw is 2^32 - 1, one of the states whose float
  // rounds up to 2^32.
  for (const LevelInfo& level : kLevels)
    for (std::uint32_t n = 0, seed = 653637408u; n <= 2000; seed = ++n * 2654435761u)
      ASSERT_TRUE(perfect(generateMaze(level.columns, level.rows, seed))) << seed;
}

TEST(Slide, StopsAtEdgesAndWallsAndOnlyThere) {
  Board board = test::openBoard(5, 6);
  board[2][3].eastWall = true;                           // between (2, 3) and (2, 4)
  board[1][2].southWall = true;                          // between (1, 2) and (2, 2)
  board[3][1].southWall = board[2][4].southWall = true;  // side walls do not stop a slide
  // The cells passed as (column, row), the end cell last.
  for (const auto& [from, step, passed] :
       std::initializer_list<std::tuple<GridCell, MazeStep, std::vector<PassedCell>>>{
           {{3, 0}, kRight, {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}}},  // to the edge
           {{2, 0}, kRight, {{1, 2}, {2, 2}, {3, 2}}},                  // to a wall
           {{4, 2}, kUp, {{2, 3}, {2, 2}}},
           {{2, 3}, kRight, {}},                                // into a wall: blocked
           {{0, 0}, kUp, {}},                                   // at the edge: blocked
           {{4, 5}, kUp, {{5, 3}, {5, 2}, {5, 1}, {5, 0}}}}) {  // the goal holds nothing
    const SlideResult got = traceSlide(board, from.row, from.column, step.row, step.column, 5, 6);
    const PassedCell end = passed.empty() ? PassedCell{from.column, from.row} : passed.back();
    EXPECT_EQ(std::pair(got.passed, PassedCell{got.endColumn, got.endRow}), std::pair(passed, end));
  }
}

// Their moves played out win: the submission test plays them on every level.
TEST(Solver, FewestSlidesFromAnyCell) {
  for (const auto& [level, slides] : {std::pair{0, 5}, {1, 12}, {2, 29}, {3, 41}})
    EXPECT_EQ(slideCount(generateLevelBoard(level, 0)), slides) << level;
  Board board = test::openBoard(3, 3);
  EXPECT_EQ(solveBoard(board, 3, 3, {2, 0}), (std::vector<MazeStep>{kRight}));
  board[1][2].southWall = board[2][1].eastWall = true;  // no slide can come to rest on the goal
  EXPECT_EQ(slideCount(board), -1);
}

// Past 2^32 seconds the seed is the clock's low 32 bits; the seeds skipped
// have no way, the one kept has.
TEST(LevelFive, TheFirstWinnableBoardFromTheClock) {
  const LevelInfo& level = kLevels[kLastLevel];
  int retried = 0;
  for (std::int64_t clock = (1LL << 32) + 1700000000; clock < (1LL << 32) + 1700010000; ++clock) {
    int retries = -1;
    const Board board = generateLevelBoard(kLastLevel, clock, &retries);
    for (int k = 0; k <= retries; ++k) {
      const Board tried = generateMaze(level.columns, level.rows, std::uint32_t(clock + k));
      ASSERT_EQ(slideCount(tried) >= 1, k == retries) << clock;
      ASSERT_TRUE(k < retries || board == tried) << clock;
    }
    retried += retries > 0 ? 1 : 0;
  }
  EXPECT_GT(retried, 0);
}
