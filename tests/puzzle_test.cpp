// The level table, the maze generator, the slide rule and the solver, without
// a window.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "puzzle/Levels.h"
#include "puzzle/Maze.h"
#include "puzzle/Slide.h"
#include "support/TestSupport.h"

namespace {

constexpr MazeStep kUp{-1, 0};
constexpr MazeStep kDown{1, 0};
constexpr MazeStep kLeft{0, -1};
constexpr MazeStep kRight{0, 1};

// A perfect maze: every cell reachable from (0, 0) through exactly cells - 1
// openings (a spanning tree), and the flags of the last column and row set.
void expectPerfectMaze(int columns, int rows, std::uint32_t seed) {
  const Board board = generateMaze(columns, rows, seed);
  ASSERT_EQ(board.size(), static_cast<std::size_t>(rows)) << "seed " << seed;
  int openings = 0;
  for (const auto& row : board) {
    ASSERT_EQ(row.size(), static_cast<std::size_t>(columns)) << "seed " << seed;
    for (const Cell& cell : row) openings += (cell.eastWall ? 0 : 1) + (cell.southWall ? 0 : 1);
    EXPECT_TRUE(row.back().eastWall) << "seed " << seed;
  }
  EXPECT_EQ(test::southWalls(board).back(), std::string(static_cast<std::size_t>(columns), '1'));
  EXPECT_EQ(openings, rows * columns - 1) << "seed " << seed;
  // Step by step through the openings from (0, 0).
  std::vector<bool> seen(static_cast<std::size_t>(rows * columns));
  std::vector<std::pair<int, int>> todo{{0, 0}};
  int reached = 0;
  const auto at = [&](int r, int c) { return board[std::size_t(r)][std::size_t(c)]; };
  while (!todo.empty()) {
    const auto [r, c] = todo.back();
    todo.pop_back();
    if (seen[std::size_t(r * columns + c)]) continue;
    seen[std::size_t(r * columns + c)] = true;
    ++reached;
    if (c + 1 < columns && !at(r, c).eastWall) todo.emplace_back(r, c + 1);
    if (r + 1 < rows && !at(r, c).southWall) todo.emplace_back(r + 1, c);
    if (c > 0 && !at(r, c - 1).eastWall) todo.emplace_back(r, c - 1);
    if (r > 0 && !at(r - 1, c).southWall) todo.emplace_back(r - 1, c);
  }
  EXPECT_EQ(reached, rows * columns) << "seed " << seed;
}

bool sameBoard(const Board& a, const Board& b) {
  return test::eastWalls(a) == test::eastWalls(b) && test::southWalls(a) == test::southWalls(b);
}

}  // namespace

TEST(LevelTable, RowsAsListed) {
  struct Row {
    int columns, rows, tile;
    const char* label;
    const char* name;
  };
  const Row expected[] = {{9, 7, 64, "LEVEL 1", "Arktisk inngang"},
                          {11, 9, 56, "LEVEL 2", "Frosne korridorer"},
                          {13, 11, 48, "LEVEL 3", "Dypfryst"},
                          {15, 13, 42, "LEVEL 4", "Nordlys-kavern"},
                          {17, 15, 36, "LEVEL 5", "Evig is"}};
  ASSERT_EQ(kLevels.size(), 5u);
  for (std::size_t i = 0; i < kLevels.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(kLevels[i].number, static_cast<int>(i) + 1);
    EXPECT_EQ(kLevels[i].columns, expected[i].columns);
    EXPECT_EQ(kLevels[i].rows, expected[i].rows);
    EXPECT_EQ(kLevels[i].tileSize, expected[i].tile);
    EXPECT_EQ(kLevels[i].label, expected[i].label);
    EXPECT_EQ(kLevels[i].name, expected[i].name);
  }
}

TEST(MazeGenerator, ShuffleIndexInSinglePrecision) {
  struct Case {
    std::uint32_t draw;
    int multiplier, index;
  };
  // For 3221225471 and 1431655765 exact arithmetic would give 2 and 0; the
  // float roundings give 3 and 1. Then just below the states that round up to
  // 2^32, and from 4294967168 on, where the index stays on the last position.
  const Case cases[] = {{0x40000000u, 4, 1}, {3221225471u, 4, 3}, {1431655765u, 3, 1},
                        {4294967167u, 3, 2}, {4294967168u, 4, 3}, {4294967295u, 2, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(shuffleIndex(c.draw, c.multiplier), c.index) << c.draw << " x " << c.multiplier;
  }
  EXPECT_EQ(shuffledSteps(4294967295u, 4294967295u, 4294967295u),
            (std::array<MazeStep, 4>{kUp, kDown, kLeft, kRight}));
}

TEST(MazeGenerator, LevelSeeds) {
  EXPECT_EQ(levelSeed(0, 0), 57047u);
  EXPECT_EQ(levelSeed(1, 0), 114052u);
  EXPECT_EQ(levelSeed(2, 0), 171057u);
  EXPECT_EQ(levelSeed(3, 1234567), 228062u);
  EXPECT_EQ(levelSeed(4, 1700000000), 1700000000u);
  EXPECT_EQ(levelSeed(4, (std::int64_t{1} << 32) + 77), 77u) << "the clock's low 32 bits";
}

TEST(MazeGenerator, LevelOneBoardAndLevelTwoFirstRow) {
  const Board one = generateMaze(9, 7, 57047u);
  EXPECT_EQ(test::eastWalls(one), test::kLevelOneEast);
  EXPECT_EQ(test::southWalls(one), test::kLevelOneSouth);
  const Board two = generateMaze(11, 9, 114052u);
  ASSERT_EQ(two.size(), 9u);
  EXPECT_EQ(test::eastWalls(two)[0], "00100001001");
  EXPECT_EQ(test::southWalls(two)[0], "11011101000");
}

TEST(MazeGenerator, PerfectMazesOverManySeeds) {
  for (const LevelInfo& level : kLevels) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
      expectPerfectMaze(level.columns, level.rows, seed * 2654435761u);
    }
  }
  // A seed whose first draw is one of the states whose float rounds up to 2^32.
  const std::uint32_t seed = test::stepBack(4294967295u, 1664525u, 1013904223u);
  MazeRandom first{seed};
  ASSERT_EQ(first.next(), 4294967295u);
  expectPerfectMaze(17, 15, seed);
}

TEST(Slide, StopsAtEdgesAndWallsAndOnlyThere) {
  Board board = test::openBoard(5, 6);
  board[2][3].eastWall = true;   // between (2, 3) and (2, 4)
  board[1][2].southWall = true;  // between (1, 2) and (2, 2)
  board[3][1].southWall = true;  // side walls along row 3 do not stop a slide
  board[2][4].southWall = true;
  struct Case {
    int row, column;
    MazeStep step;
    int endRow, endColumn;
    std::vector<PassedCell> passed;  // as (column, row)
  };
  const Case cases[] = {
      {3, 0, kRight, 3, 5, {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}}},  // to the edge
      {2, 0, kRight, 2, 3, {{1, 2}, {2, 2}, {3, 2}}},                  // to a wall
      {0, 2, kDown, 1, 2, {{2, 1}}},
      {4, 2, kUp, 2, 2, {{2, 3}, {2, 2}}},
      {2, 3, kRight, 2, 3, {}},                             // straight into a wall: blocked
      {0, 0, kUp, 0, 0, {}},                                // at the edge: blocked
      {4, 5, kUp, 0, 5, {{5, 3}, {5, 2}, {5, 1}, {5, 0}}},  // the goal holds nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " step " +
                 std::to_string(c.step.row) + "," + std::to_string(c.step.column));
    const SlideResult slide = traceSlide(board, c.row, c.column, c.step.row, c.step.column, 5, 6);
    EXPECT_EQ(slide.endRow, c.endRow);
    EXPECT_EQ(slide.endColumn, c.endColumn);
    EXPECT_EQ(slide.passed, c.passed);
  }
}

TEST(Solver, ShortestSolutions) {
  const int fixed[] = {5, 12, 29, 41};
  for (int index = 0; index < kLastLevel; ++index) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(index)];
    const Board board = generateMaze(level.columns, level.rows, levelSeed(index, 0));
    EXPECT_EQ(test::slideCount(board, level.rows, level.columns), fixed[index]) << level.label;
  }
  EXPECT_EQ(test::slideCount(test::openBoard(4, 4), 4, 4), 2);
  EXPECT_EQ(test::slideCount(test::openBoard(1, 1), 1, 1), 0);
  Board board = test::openBoard(3, 3);
  board[1][2].southWall = true;  // above the goal: the way along the bottom row is left
  EXPECT_EQ(test::slideCount(board, 3, 3), 2);
  board[2][1].eastWall = true;  // and left of it: no slide can come to rest there
  EXPECT_EQ(test::slideCount(board, 3, 3), -1);
}

TEST(LevelFive, BoardIsAlwaysWinnable) {
  const LevelInfo& level = kLevels[kLastLevel];
  int needed = 0;
  constexpr std::int64_t kFirst = 1700000000;
  constexpr int kSeeds = 20000;
  for (std::int64_t clock = kFirst; clock < kFirst + kSeeds; ++clock) {
    int retries = -1;
    const Board board = generateLevelBoard(kLastLevel, clock, &retries);
    ASSERT_GE(retries, 0);
    EXPECT_GE(test::slideCount(board, level.rows, level.columns), 1) << clock;
    // The board is the first winnable one from the clock's seed on.
    const auto seed = static_cast<std::uint32_t>(clock);
    EXPECT_TRUE(sameBoard(
        board, generateMaze(level.columns, level.rows, seed + static_cast<std::uint32_t>(retries))))
        << clock;
    for (int k = 0; k < retries; ++k) {
      const Board skipped =
          generateMaze(level.columns, level.rows, seed + static_cast<std::uint32_t>(k));
      EXPECT_EQ(test::slideCount(skipped, level.rows, level.columns), -1) << clock;
    }
    needed += retries > 0 ? 1 : 0;
  }
  // Both kinds of seed occur, so both branches above were exercised.
  EXPECT_GT(needed, 0);
  EXPECT_LT(needed, kSeeds);
  // The fixed levels never retry.
  for (int index = 0; index < kLastLevel; ++index) {
    int retries = -1;
    generateLevelBoard(index, kFirst, &retries);
    EXPECT_EQ(retries, 0);
  }
}
