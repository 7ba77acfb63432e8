// The level table, the maze generator, the slide rule and the solver, without
// a window.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "puzzle/Levels.h"
#include "puzzle/Maze.h"
#include "puzzle/Slide.h"

namespace {

constexpr MazeStep kUp{-1, 0};
constexpr MazeStep kDown{1, 0};
constexpr MazeStep kLeft{0, -1};
constexpr MazeStep kRight{0, 1};

// Rows of wall flags as "0"/"1" strings, one character per column.
std::string eastRow(const Board& board, std::size_t row) {
  std::string text;
  for (const Cell& cell : board[row]) {
    text += cell.eastWall ? '1' : '0';
  }
  return text;
}

std::string southRow(const Board& board, std::size_t row) {
  std::string text;
  for (const Cell& cell : board[row]) {
    text += cell.southWall ? '1' : '0';
  }
  return text;
}

// Cells reachable from (0, 0) stepping one cell at a time through open walls.
int reachableCells(const Board& board, int rows, int columns) {
  std::vector<bool> seen(static_cast<std::size_t>(rows * columns));
  std::deque<std::pair<int, int>> queue{{0, 0}};
  seen[0] = true;
  int count = 0;
  const auto visit = [&](int r, int c) {
    const auto index = static_cast<std::size_t>(r * columns + c);
    if (!seen[index]) {
      seen[index] = true;
      queue.emplace_back(r, c);
    }
  };
  while (!queue.empty()) {
    const auto [r, c] = queue.front();
    queue.pop_front();
    ++count;
    const auto& cell = board[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    if (c + 1 < columns && !cell.eastWall) visit(r, c + 1);
    if (r + 1 < rows && !cell.southWall) visit(r + 1, c);
    if (c > 0 && !board[static_cast<std::size_t>(r)][static_cast<std::size_t>(c - 1)].eastWall)
      visit(r, c - 1);
    if (r > 0 && !board[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)].southWall)
      visit(r - 1, c);
  }
  return count;
}

int clearedFlags(const Board& board) {
  int count = 0;
  for (const auto& row : board) {
    for (const Cell& cell : row) {
      count += cell.eastWall ? 0 : 1;
      count += cell.southWall ? 0 : 1;
    }
  }
  return count;
}

// The generator's step run backwards: the state that comes before `state`.
std::uint32_t previousState(std::uint32_t state) {
  // 1664525 is odd, so it has an inverse modulo 2^32 (Newton's iteration).
  std::uint32_t inverse = 1664525u;
  for (int i = 0; i < 5; ++i) {
    inverse *= 2u - 1664525u * inverse;
  }
  return (state - 1013904223u) * inverse;
}

// Checks one generated board against everything a perfect maze must be.
void expectPerfectMaze(int columns, int rows, std::uint32_t seed) {
  const Board board = generateMaze(columns, rows, seed);
  ASSERT_EQ(board.size(), static_cast<std::size_t>(rows)) << "seed " << seed;
  for (const auto& row : board) {
    ASSERT_EQ(row.size(), static_cast<std::size_t>(columns)) << "seed " << seed;
  }
  EXPECT_EQ(clearedFlags(board), rows * columns - 1) << "seed " << seed;
  for (const auto& row : board) {
    EXPECT_TRUE(row.back().eastWall) << "seed " << seed;
  }
  for (const Cell& cell : board.back()) {
    EXPECT_TRUE(cell.southWall) << "seed " << seed;
  }
  EXPECT_EQ(reachableCells(board, rows, columns), rows * columns) << "seed " << seed;
  const Board again = generateMaze(columns, rows, seed);
  for (std::size_t r = 0; r < board.size(); ++r) {
    EXPECT_EQ(eastRow(board, r), eastRow(again, r)) << "seed " << seed;
    EXPECT_EQ(southRow(board, r), southRow(again, r)) << "seed " << seed;
  }
}

bool sameBoard(const Board& a, const Board& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t r = 0; r < a.size(); ++r) {
    if (eastRow(a, r) != eastRow(b, r) || southRow(a, r) != southRow(b, r)) {
      return false;
    }
  }
  return true;
}

// A board of the given size with every inner wall open.
Board openBoard(int rows, int columns) {
  Board board(static_cast<std::size_t>(rows),
              std::vector<Cell>(static_cast<std::size_t>(columns), Cell{false, false}));
  for (auto& row : board) {
    row.back().eastWall = true;
  }
  for (Cell& cell : board.back()) {
    cell.southWall = true;
  }
  return board;
}

}  // namespace

TEST(LevelTable, RowsAsListed) {
  const int columns[] = {9, 11, 13, 15, 17};
  const int rows[] = {7, 9, 11, 13, 15};
  const int tiles[] = {64, 56, 48, 42, 36};
  const char* labels[] = {"LEVEL 1", "LEVEL 2", "LEVEL 3", "LEVEL 4", "LEVEL 5"};
  const char* names[] = {"Arktisk inngang", "Frosne korridorer", "Dypfryst", "Nordlys-kavern",
                         "Evig is"};
  for (std::size_t i = 0; i < kLevels.size(); ++i) {
    EXPECT_EQ(kLevels[i].number, static_cast<int>(i) + 1);
    EXPECT_EQ(kLevels[i].columns, columns[i]);
    EXPECT_EQ(kLevels[i].rows, rows[i]);
    EXPECT_EQ(kLevels[i].tileSize, tiles[i]);
    EXPECT_EQ(kLevels[i].label, labels[i]);
    EXPECT_EQ(kLevels[i].name, names[i]);
    // Every board fits below the 56-pixel band of a 1280x720 window.
    EXPECT_LE(kLevels[i].columns * kLevels[i].tileSize, 1280);
    EXPECT_LE(kLevels[i].rows * kLevels[i].tileSize, 664);
  }
}

TEST(MazeGenerator, FirstDrawsOfLevelOne) {
  MazeRandom random{57047u};
  const std::uint32_t u1 = random.next();
  const std::uint32_t u2 = random.next();
  const std::uint32_t u3 = random.next();
  EXPECT_EQ(u1, 1480781386u);
  EXPECT_EQ(u2, 2818607393u);
  EXPECT_EQ(u3, 1599213580u);
  EXPECT_EQ(shuffleIndex(u1, 4), 1);
  EXPECT_EQ(shuffleIndex(u2, 3), 1);
  EXPECT_EQ(shuffleIndex(u3, 2), 0);
  const std::array<MazeStep, 4> expected{kLeft, kUp, kRight, kDown};
  EXPECT_EQ(shuffledSteps(u1, u2, u3), expected);
}

TEST(MazeGenerator, ShuffleIndexInSinglePrecision) {
  EXPECT_EQ(shuffleIndex(0u, 4), 0);
  EXPECT_EQ(shuffleIndex(0x40000000u, 4), 1);
  // Exact arithmetic would give 2 and 0; the float roundings give 3 and 1.
  EXPECT_EQ(shuffleIndex(3221225471u, 4), 3);
  EXPECT_EQ(shuffleIndex(1431655765u, 3), 1);
  // Just below the states that round up to 2^32.
  EXPECT_EQ(shuffleIndex(4294967167u, 4), 3);
  EXPECT_EQ(shuffleIndex(4294967167u, 3), 2);
  EXPECT_EQ(shuffleIndex(4294967167u, 2), 1);
  // From 4294967168 on the product would be the multiplier itself; the index
  // stays on the last valid position.
  for (const std::uint32_t u : {4294967168u, 4294967200u, 4294967295u}) {
    EXPECT_EQ(shuffleIndex(u, 4), 3) << u;
    EXPECT_EQ(shuffleIndex(u, 3), 2) << u;
    EXPECT_EQ(shuffleIndex(u, 2), 1) << u;
  }
  const std::array<MazeStep, 4> unchanged{kUp, kDown, kLeft, kRight};
  EXPECT_EQ(shuffledSteps(4294967295u, 4294967295u, 4294967295u), unchanged);
}

TEST(MazeGenerator, LevelSeeds) {
  EXPECT_EQ(levelSeed(0, 0), 57047u);
  EXPECT_EQ(levelSeed(1, 0), 114052u);
  EXPECT_EQ(levelSeed(2, 0), 171057u);
  EXPECT_EQ(levelSeed(3, 1234567), 228062u);
  EXPECT_EQ(levelSeed(4, 1700000000), 1700000000u);
  // The clock is cut to its low 32 bits.
  EXPECT_EQ(levelSeed(4, (std::int64_t{1} << 32) + 77), 77u);
}

TEST(MazeGenerator, LevelOneBoard) {
  const Board board = generateMaze(9, 7, 57047u);
  const char* east[] = {"000110101", "001101011", "101100001", "001110101",
                        "001110001", "000100001", "000000001"};
  const char* south[] = {"111000000", "010011110", "011001110", "110000101",
                         "011001111", "011111110", "111111111"};
  ASSERT_EQ(board.size(), 7u);
  for (std::size_t r = 0; r < 7; ++r) {
    EXPECT_EQ(eastRow(board, r), east[r]) << "row " << r;
    EXPECT_EQ(southRow(board, r), south[r]) << "row " << r;
  }
}

TEST(MazeGenerator, LevelTwoFirstRow) {
  const Board board = generateMaze(11, 9, 114052u);
  ASSERT_EQ(board.size(), 9u);
  EXPECT_EQ(eastRow(board, 0), "00100001001");
  EXPECT_EQ(southRow(board, 0), "11011101000");
}

TEST(MazeGenerator, PerfectMazesOverManySeeds) {
  for (const LevelInfo& level : kLevels) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
      expectPerfectMaze(level.columns, level.rows, seed * 2654435761u);
    }
  }
  // Thin and tiny boards.
  for (std::uint32_t seed = 0; seed < 200; ++seed) {
    expectPerfectMaze(1, 1, seed);
    expectPerfectMaze(1, 12, seed);
    expectPerfectMaze(12, 1, seed);
    expectPerfectMaze(2, 2, seed);
  }
}

TEST(MazeGenerator, StatesThatRoundUpToTwoToThe32) {
  // Seeds whose 1st, 2nd, 3rd, 10th or 200th draw is one of the 128 states
  // whose float rounds up to 2^32, at the first cell and deep in the maze.
  int seeds = 0;
  for (std::uint32_t high = 4294967168u; high != 0; ++high) {
    for (const int back : {1, 2, 3, 10, 200}) {
      std::uint32_t seed = high;
      for (int i = 0; i < back; ++i) {
        seed = previousState(seed);
      }
      MazeRandom check{seed};
      for (int i = 1; i < back; ++i) {
        check.next();
      }
      ASSERT_EQ(check.next(), high);
      expectPerfectMaze(17, 15, seed);
      expectPerfectMaze(9, 7, seed);
      ++seeds;
    }
  }
  EXPECT_EQ(seeds, 128 * 5);
}

TEST(Slide, StopsAtEdgesInAllFourDirections) {
  const Board board = openBoard(5, 6);
  const SlideResult right = traceSlide(board, 2, 1, 0, 1, 5, 6);
  EXPECT_EQ(right.endRow, 2);
  EXPECT_EQ(right.endColumn, 5);
  EXPECT_EQ(right.passed, (std::vector<PassedCell>{{2, 2}, {3, 2}, {4, 2}, {5, 2}}));
  const SlideResult left = traceSlide(board, 2, 4, 0, -1, 5, 6);
  EXPECT_EQ(left.endColumn, 0);
  EXPECT_EQ(left.passed.size(), 4u);
  EXPECT_EQ(left.passed.back(), (PassedCell{0, 2}));
  const SlideResult up = traceSlide(board, 3, 2, -1, 0, 5, 6);
  EXPECT_EQ(up.endRow, 0);
  EXPECT_EQ(up.endColumn, 2);
  EXPECT_EQ(up.passed, (std::vector<PassedCell>{{2, 2}, {2, 1}, {2, 0}}));
  const SlideResult down = traceSlide(board, 1, 3, 1, 0, 5, 6);
  EXPECT_EQ(down.endRow, 4);
  EXPECT_EQ(down.passed.size(), 3u);
  // Already at the edge: blocked, nothing passed.
  for (const MazeStep step : {kUp, kLeft}) {
    const SlideResult blocked = traceSlide(board, 0, 0, step.row, step.column, 5, 6);
    EXPECT_EQ(blocked.endRow, 0);
    EXPECT_EQ(blocked.endColumn, 0);
    EXPECT_TRUE(blocked.passed.empty());
  }
}

TEST(Slide, StopsAtWallsInAllFourDirections) {
  Board board = openBoard(5, 6);
  board[2][3].eastWall = true;   // between (2, 3) and (2, 4)
  board[1][2].southWall = true;  // between (1, 2) and (2, 2)
  const SlideResult right = traceSlide(board, 2, 0, 0, 1, 5, 6);
  EXPECT_EQ(right.endColumn, 3);
  EXPECT_EQ(right.passed.size(), 3u);
  const SlideResult left = traceSlide(board, 2, 5, 0, -1, 5, 6);
  EXPECT_EQ(left.endColumn, 4);
  EXPECT_EQ(left.passed, (std::vector<PassedCell>{{4, 2}}));
  const SlideResult down = traceSlide(board, 0, 2, 1, 0, 5, 6);
  EXPECT_EQ(down.endRow, 1);
  const SlideResult up = traceSlide(board, 4, 2, -1, 0, 5, 6);
  EXPECT_EQ(up.endRow, 2);
  EXPECT_EQ(up.passed, (std::vector<PassedCell>{{2, 3}, {2, 2}}));
  // Straight into the wall next to the cell: blocked.
  const SlideResult blocked = traceSlide(board, 2, 3, 0, 1, 5, 6);
  EXPECT_EQ(blocked.endColumn, 3);
  EXPECT_TRUE(blocked.passed.empty());
}

TEST(Slide, PassesJunctionsAndTheGoalHasNoHoldOfItsOwn) {
  // Side walls along row 2 do not stop a slide along it.
  Board board = openBoard(5, 6);
  board[1][1].southWall = true;
  board[2][2].southWall = true;
  const SlideResult right = traceSlide(board, 2, 0, 0, 1, 5, 6);
  EXPECT_EQ(right.endColumn, 5);
  // A slide that starts on the goal leaves it; one that reaches it is held
  // there only by the edges.
  const SlideResult leave = traceSlide(board, 4, 5, -1, 0, 5, 6);
  EXPECT_EQ(leave.endRow, 0);
  const SlideResult enter = traceSlide(board, 4, 0, 0, 1, 5, 6);
  EXPECT_EQ(enter.endColumn, 5);
  EXPECT_EQ(enter.passed.back(), (PassedCell{5, 4}));
}

TEST(Slide, LevelOneSolution) {
  const Board board = generateMaze(9, 7, 57047u);
  const SlideResult first = traceSlide(board, 0, 0, 0, 1, 7, 9);
  EXPECT_EQ(first.endRow, 0);
  EXPECT_EQ(first.endColumn, 3);
  EXPECT_EQ(first.passed, (std::vector<PassedCell>{{1, 0}, {2, 0}, {3, 0}}));
  int row = 0;
  int column = 0;
  for (const MazeStep step : {kRight, kDown, kLeft, kDown, kRight}) {
    const SlideResult slide = traceSlide(board, row, column, step.row, step.column, 7, 9);
    ASSERT_FALSE(slide.passed.empty());
    row = slide.endRow;
    column = slide.endColumn;
  }
  EXPECT_EQ(row, 6);
  EXPECT_EQ(column, 8);
}

TEST(Solver, ShortestSolutionsOfTheFixedLevels) {
  const int expected[] = {5, 12, 29, 41};
  for (int index = 0; index < 4; ++index) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(index)];
    const Board board = generateMaze(level.columns, level.rows, levelSeed(index, 0));
    EXPECT_EQ(shortestSolution(board, level.rows, level.columns), expected[index]) << level.label;
  }
}

TEST(Solver, SmallBoards) {
  EXPECT_EQ(shortestSolution(openBoard(4, 4), 4, 4), 2);
  EXPECT_EQ(shortestSolution(openBoard(1, 1), 1, 1), 0);
  EXPECT_EQ(shortestSolution(openBoard(1, 5), 1, 5), 1);
  // A wall above the goal leaves the way along the bottom row.
  Board board = openBoard(3, 3);
  board[1][2].southWall = true;
  EXPECT_EQ(shortestSolution(board, 3, 3), 2);
  // Walled off on both open sides: no slide can reach it.
  Board sealed = openBoard(3, 3);
  sealed[2][1].eastWall = true;
  sealed[1][2].southWall = true;
  EXPECT_EQ(shortestSolution(sealed, 3, 3), -1);
}

TEST(LevelFive, BoardIsAlwaysWinnable) {
  const LevelInfo& level = kLevels[kLastLevel];
  int needed = 0;
  int most = 0;
  constexpr std::int64_t kFirst = 1700000000;
  constexpr int kSeeds = 20000;
  for (std::int64_t clock = kFirst; clock < kFirst + kSeeds; ++clock) {
    int retries = -1;
    const Board board = generateLevelBoard(kLastLevel, clock, &retries);
    ASSERT_GE(retries, 0);
    EXPECT_GE(shortestSolution(board, level.rows, level.columns), 1) << clock;
    const auto seed = static_cast<std::uint32_t>(clock);
    // The board is the first winnable one from the clock's seed on.
    EXPECT_TRUE(sameBoard(
        board, generateMaze(level.columns, level.rows, seed + static_cast<std::uint32_t>(retries))))
        << clock;
    for (int k = 0; k < retries; ++k) {
      const Board skipped =
          generateMaze(level.columns, level.rows, seed + static_cast<std::uint32_t>(k));
      EXPECT_EQ(shortestSolution(skipped, level.rows, level.columns), -1) << clock;
    }
    needed += retries > 0 ? 1 : 0;
    most = std::max(most, retries);
    if (clock % 997 == 0) {
      int again = -1;
      EXPECT_TRUE(sameBoard(board, generateLevelBoard(kLastLevel, clock, &again)));
      EXPECT_EQ(again, retries);
    }
  }
  // Both kinds of seed occur, so both branches above were exercised.
  EXPECT_GT(needed, 0);
  EXPECT_LT(needed, kSeeds);
  RecordProperty("seeds", kSeeds);
  RecordProperty("seeds_needing_retry", needed);
  RecordProperty("most_retries", most);
}

TEST(LevelFive, FixedLevelsAreUntouchedByTheClock) {
  for (int index = 0; index < kLastLevel; ++index) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(index)];
    const Board fixed = generateMaze(level.columns, level.rows, levelSeed(index, 0));
    for (const std::int64_t clock : {std::int64_t{0}, std::int64_t{1700000000}}) {
      int retries = -1;
      EXPECT_TRUE(sameBoard(generateLevelBoard(index, clock, &retries), fixed));
      EXPECT_EQ(retries, 0);
    }
  }
}
