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

constexpr MazeStep kUp{-1, 0};
constexpr MazeStep kDown{1, 0};
constexpr MazeStep kLeft{0, -1};
constexpr MazeStep kRight{0, 1};

std::vector<std::string> walls(const Board& board, bool Cell::* wall) {
  std::vector<std::string> rows;
  for (const auto& row : board) {
    rows.emplace_back();
    for (const Cell& cell : row) rows.back() += cell.*wall ? '1' : '0';
  }
  return rows;
}

// A spanning tree of the cells: rows x columns - 1 openings, none of them
// closing a loop, and the outer flags all set.
::testing::AssertionResult perfect(const Board& board, int columns, int rows) {
  std::vector<int> parent(std::size_t(rows * columns));
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&parent](int i) {
    while (parent[std::size_t(i)] != i) i = parent[std::size_t(i)];
    return i;
  };
  int openings = 0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const Cell& cell = board[std::size_t(r)][std::size_t(c)];
      if ((c == columns - 1 && !cell.eastWall) || (r == rows - 1 && !cell.southWall)) {
        return ::testing::AssertionFailure() << "an open edge at " << r << "," << c;
      }
      for (const int next : {cell.eastWall ? -1 : r * columns + c + 1,
                             cell.southWall ? -1 : (r + 1) * columns + c}) {
        if (next < 0) continue;
        const int a = root(r * columns + c);
        if (a == root(next)) return ::testing::AssertionFailure() << "a loop at " << r << "," << c;
        parent[std::size_t(a)] = root(next);
        ++openings;
      }
    }
  }
  if (openings == rows * columns - 1) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << openings << " openings";
}

int slideCount(const Board& board, int rows, int columns) {
  const auto steps = solveBoard(board, rows, columns);
  return steps ? static_cast<int>(steps->size()) : -1;
}

}  // namespace

TEST(MazeGenerator, SeedsShuffleAndTheFirstBoards) {
  for (const auto& [index, clock, seed] :
       {std::tuple<int, std::int64_t, std::uint32_t>{0, 0, 57047u},
        {1, 0, 114052u},
        {2, 0, 171057u},
        {3, 1234567, 228062u},
        {4, 1700000000, 1700000000u},
        {4, (std::int64_t{1} << 32) + 77, 77u}}) {
    EXPECT_EQ(levelSeed(index, clock), seed) << index << " at " << clock;
  }
  // For 3221225471 and 1431655765 exact arithmetic would give 2 and 0; the
  // float roundings give 3 and 1. Then just below the states that round up to
  // 2^32, and from 4294967168 on, where the index stays on the last position.
  for (const auto& [draw, multiplier, index] : {std::tuple{0x40000000u, 4, 1},
                                                {3221225471u, 4, 3},
                                                {1431655765u, 3, 1},
                                                {4294967167u, 3, 2},
                                                {4294967168u, 4, 3},
                                                {4294967295u, 2, 1}}) {
    EXPECT_EQ(shuffleIndex(draw, multiplier), index) << draw << " x " << multiplier;
  }
  EXPECT_EQ(shuffledSteps(4294967295u, 4294967295u, 4294967295u),
            (std::array<MazeStep, 4>{kUp, kDown, kLeft, kRight}));

  const Board one = generateMaze(9, 7, 57047u);
  EXPECT_EQ(walls(one, &Cell::eastWall),
            (std::vector<std::string>{"000110101", "001101011", "101100001", "001110101",
                                      "001110001", "000100001", "000000001"}));
  EXPECT_EQ(walls(one, &Cell::southWall),
            (std::vector<std::string>{"111000000", "010011110", "011001110", "110000101",
                                      "011001111", "011111110", "111111111"}));
  const Board two = generateMaze(11, 9, 114052u);
  EXPECT_EQ(walls(two, &Cell::eastWall)[0], "00100001001");
  EXPECT_EQ(walls(two, &Cell::southWall)[0], "11011101000");
}

TEST(MazeGenerator, PerfectMazesOverManySeeds) {
  for (const LevelInfo& level : kLevels) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
      ASSERT_TRUE(perfect(generateMaze(level.columns, level.rows, seed * 2654435761u),
                          level.columns, level.rows))
          << level.label << " seed " << seed * 2654435761u;
    }
  }
  // A seed whose first draw is one of the states whose float rounds up to 2^32.
  const std::uint32_t seed = test::stepBack(4294967295u, 1664525u, 1013904223u);
  ASSERT_EQ(MazeRandom{seed}.next(), 4294967295u);
  EXPECT_TRUE(perfect(generateMaze(17, 15, seed), 17, 15));
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
    const SlideResult slide = traceSlide(board, c.row, c.column, c.step.row, c.step.column, 5, 6);
    EXPECT_EQ(slide.endRow, c.endRow) << c.row << "," << c.column;
    EXPECT_EQ(slide.endColumn, c.endColumn) << c.row << "," << c.column;
    EXPECT_EQ(slide.passed, c.passed) << c.row << "," << c.column;
  }
}

TEST(Solver, FewestSlidesFromAnyCell) {
  const int fixed[] = {5, 12, 29, 41};
  for (int index = 0; index < kLastLevel; ++index) {
    const LevelInfo& level = kLevels[std::size_t(index)];
    const Board board = generateLevelBoard(index, 0);
    const auto steps = solveBoard(board, level.rows, level.columns);
    ASSERT_TRUE(steps.has_value());
    EXPECT_EQ(steps->size(), std::size_t(fixed[index])) << level.label;
    GridCell at;  // the steps played out end at rest on the goal
    for (const MazeStep step : *steps) {
      const SlideResult slide =
          traceSlide(board, at.row, at.column, step.row, step.column, level.rows, level.columns);
      at = {slide.endRow, slide.endColumn};
    }
    EXPECT_EQ(at, (GridCell{level.rows - 1, level.columns - 1})) << level.label;
  }
  const Board open = test::openBoard(4, 4);
  EXPECT_EQ(solveBoard(open, 4, 4), (std::vector<MazeStep>{kDown, kRight}));
  EXPECT_EQ(solveBoard(open, 4, 4, {3, 0}), (std::vector<MazeStep>{kRight}));
  EXPECT_EQ(solveBoard(open, 4, 4, {3, 3}), std::vector<MazeStep>{});
  Board board = test::openBoard(3, 3);
  board[1][2].southWall = true;  // above the goal: the way along the bottom row is left
  EXPECT_EQ(slideCount(board, 3, 3), 2);
  board[2][1].eastWall = true;  // and left of it: no slide can come to rest there
  EXPECT_EQ(slideCount(board, 3, 3), -1);
}

TEST(LevelFive, TheFirstWinnableBoardFromTheClock) {
  const LevelInfo& level = kLevels[kLastLevel];
  int retried = 0;
  constexpr std::int64_t kFirst = 1700000000;
  constexpr int kClocks = 10000;
  for (std::int64_t clock = kFirst; clock < kFirst + kClocks; ++clock) {
    int retries = -1;
    const Board board = generateLevelBoard(kLastLevel, clock, &retries);
    const auto seed = static_cast<std::uint32_t>(clock);
    ASSERT_EQ(board, generateMaze(level.columns, level.rows, seed + std::uint32_t(retries)));
    ASSERT_GE(slideCount(board, level.rows, level.columns), 1) << clock;
    for (int k = 0; k < retries; ++k) {
      const Board skipped = generateMaze(level.columns, level.rows, seed + std::uint32_t(k));
      ASSERT_EQ(slideCount(skipped, level.rows, level.columns), -1) << clock;
    }
    retried += retries > 0 ? 1 : 0;
  }
  // Both kinds of clock occur, so both branches above were taken.
  EXPECT_GT(retried, 0);
  EXPECT_LT(retried, kClocks);
}
