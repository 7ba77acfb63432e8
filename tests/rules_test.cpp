// The rules of play driven through the game's own event handler: levels,
// moves and slides, the key map of every screen, and the pause and win menus.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr float kFrame = 0.05f;

struct Direction {
  int row;
  int column;
  Key key;
};
constexpr Direction kDirections[] = {
    {-1, 0, Key::Up}, {1, 0, Key::Down}, {0, -1, Key::Left}, {0, 1, Key::Right}};

// A slide lasts 0.13 s: three frames of 0.05 s end it.
void finishSlide(Game& game) { test::advance(game, kFrame, 3); }

void move(Game& game, Key key) {
  test::press(game, key);
  finishSlide(game);
}

// The fewest arrow keys that bring the figure to rest on the goal, found by a
// breadth-first search over resting cells with the game's slide rule.
std::vector<Key> solve(const Game& game) {
  const auto index = [&](int r, int c) { return static_cast<std::size_t>(r * game.columns + c); };
  struct Came {
    int from = -1;
    Key key = Key::Unknown;
  };
  std::vector<Came> came(static_cast<std::size_t>(game.rows * game.columns));
  std::vector<bool> seen(came.size());
  std::deque<GridCell> queue{{game.playerRow, game.playerCol}};
  seen[index(game.playerRow, game.playerCol)] = true;
  while (!queue.empty()) {
    const GridCell here = queue.front();
    queue.pop_front();
    for (const Direction& d : kDirections) {
      const SlideResult slide =
          traceSlide(game.board, here.row, here.column, d.row, d.column, game.rows, game.columns);
      const std::size_t next = index(slide.endRow, slide.endColumn);
      if (!seen[next]) {
        seen[next] = true;
        came[next] = {static_cast<int>(index(here.row, here.column)), d.key};
        queue.push_back({slide.endRow, slide.endColumn});
      }
    }
  }
  std::vector<Key> keys;
  for (std::size_t at = index(game.rows - 1, game.columns - 1); came[at].from >= 0;
       at = static_cast<std::size_t>(came[at].from)) {
    keys.insert(keys.begin(), came[at].key);
  }
  return keys;
}

void win(Game& game) {
  for (const Key key : solve(game)) {
    move(game, key);
  }
}

std::vector<std::wstring> labels(const Game& game) {
  std::vector<std::wstring> texts;
  for (const MenuItem& item : game.menuItems) {
    texts.push_back(item.label.toWideString());
  }
  return texts;
}

std::vector<bool> primaries(const Game& game) {
  std::vector<bool> flags;
  for (const MenuItem& item : game.menuItems) {
    flags.push_back(item.primary);
  }
  return flags;
}

// Everything a key without meaning must leave as it was.
struct Snapshot {
  GameState state;
  int levelIndex;
  int menuSelection;
  std::size_t menuCount;
  int moves;
  bool sliding;
  int playerRow;
  int playerCol;
  bool soundOn;
  bool nameEntryActive;
  bool resultReady;
  std::string playerName;
  bool fullscreen;
  sf::Vector2u windowSize;
  bool timerRunning;

  explicit Snapshot(const Game& game)
      : state(game.state),
        levelIndex(game.levelIndex),
        menuSelection(game.menuSelection),
        menuCount(game.menuItems.size()),
        moves(game.moves),
        sliding(game.sliding),
        playerRow(game.playerRow),
        playerCol(game.playerCol),
        soundOn(game.soundBank.enabled),
        nameEntryActive(game.nameEntryActive),
        resultReady(game.resultReady),
        playerName(game.playerName),
        fullscreen(game.fullscreen),
        windowSize(game.window.getSize()),
        timerRunning(game.timerRunning) {}
  bool operator==(const Snapshot&) const = default;
};

void expectIgnored(Game& game, std::initializer_list<Key> keys) {
  for (const Key key : keys) {
    const Snapshot before(game);
    test::press(game, key);
    EXPECT_TRUE(Snapshot(game) == before)
        << "key " << static_cast<int>(key) << " in state " << static_cast<int>(before.state);
  }
}

const std::vector<Key> kLevelOneSolution{Key::Right, Key::Down, Key::Left, Key::Down, Key::Right};

class Rules : public ::testing::Test {
 protected:
  Game game;

  // From the title screen into level 1 and through it to the win screen.
  void winLevelOne() {
    test::press(game, Key::Num1);
    for (const Key key : kLevelOneSolution) {
      move(game, key);
    }
    ASSERT_EQ(game.state, GameState::Won);
  }

  // Closes the name entry so the win menu takes the keys.
  void toWinMenu() {
    winLevelOne();
    test::press(game, Key::Escape);
    ASSERT_FALSE(game.nameEntryActive);
  }
};

}  // namespace

// ---------------------------------------------------------------- levels

TEST_F(Rules, StartsOnTheTitleWithNoLevel) {
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.board.empty());
  EXPECT_EQ(game.menuSelection, 0);
}

TEST_F(Rules, EachLevelIsGeneratedAndCentredBelowTheBand) {
  const sf::Vector2f offsets[] = {{352, 164}, {332, 136}, {328, 124}, {325, 115}, {334, 118}};
  const Key digits[] = {Key::Num1, Key::Num2, Key::Num3, Key::Num4, Key::Num5};
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(i)];
    test::press(game, digits[i]);
    ASSERT_EQ(game.state, GameState::Playing);
    EXPECT_EQ(game.levelIndex, i);
    EXPECT_EQ(game.columns, level.columns);
    EXPECT_EQ(game.rows, level.rows);
    EXPECT_EQ(game.tileSize, static_cast<float>(level.tileSize));
    EXPECT_EQ(game.boardOffset, offsets[i]) << level.label;
    ASSERT_EQ(game.board.size(), static_cast<std::size_t>(level.rows));
    ASSERT_EQ(game.board[0].size(), static_cast<std::size_t>(level.columns));
    EXPECT_GE(shortestSolution(game.board, game.rows, game.columns), 1);
    if (i < kLastLevel) {
      const Board fixed = generateMaze(level.columns, level.rows, levelSeed(i, 0));
      for (std::size_t r = 0; r < fixed.size(); ++r) {
        for (std::size_t c = 0; c < fixed[r].size(); ++c) {
          EXPECT_EQ(game.board[r][c].eastWall, fixed[r][c].eastWall);
          EXPECT_EQ(game.board[r][c].southWall, fixed[r][c].southWall);
        }
      }
    }
    EXPECT_EQ(game.playerRow, 0);
    EXPECT_EQ(game.playerCol, 0);
    EXPECT_TRUE(game.timerRunning);
    // Back to the title through the pause menu's "VELG NIVÅ".
    test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Down),
                      test::keyPress(Key::Down), test::keyPress(Key::Enter)});
    ASSERT_EQ(game.state, GameState::Menu);
  }
}

TEST_F(Rules, StartingALevelClearsTheLastAttempt) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, kFrame);
  game.particles.push_back(Particle{});  // confetti still falling from a win
  test::press(game, Key::R);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.moves, 0);
  EXPECT_EQ(game.elapsedTime, 0.f);
  EXPECT_EQ(game.slideProgress, 0.f);
  EXPECT_EQ(game.slideElapsed, 0.f);
  EXPECT_EQ(game.idlePhase, 0.f);
  EXPECT_EQ(game.targetRow, 0);
  EXPECT_EQ(game.targetCol, 0);
  EXPECT_EQ(game.slideFrom, sf::Vector2f());
  EXPECT_EQ(game.slideTo, sf::Vector2f());
  EXPECT_TRUE(game.trail.empty());
  EXPECT_TRUE(game.particles.empty());
}

// ---------------------------------------------------------------- moves

TEST_F(Rules, ABlockedMoveChangesNothing) {
  test::press(game, Key::Num1);
  const int voice = game.soundBank.nextVoice;
  gameSrand(99);
  const int firstDraw = gameRand();
  gameSrand(99);
  // Level 1's start has the edge above and to the left and a wall below.
  for (const Key key : {Key::Up, Key::Left, Key::Down, Key::W, Key::A, Key::S}) {
    test::press(game, key);
  }
  EXPECT_EQ(game.moves, 0);
  EXPECT_FALSE(game.sliding);
  EXPECT_TRUE(game.trail.empty());
  EXPECT_TRUE(game.effects.sparks.empty());
  EXPECT_TRUE(game.effects.cracks.empty());
  EXPECT_EQ(game.soundBank.nextVoice, voice);
  EXPECT_EQ(gameRand(), firstDraw) << "a blocked move drew random numbers";
}

TEST_F(Rules, ASlideCountsOneMoveAndLeavesATrail) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  EXPECT_TRUE(game.sliding);
  EXPECT_EQ(game.moves, 1);
  EXPECT_EQ(game.targetRow, 0);
  EXPECT_EQ(game.targetCol, 3);
  // The figure keeps its cell until the slide is over.
  EXPECT_EQ(game.playerCol, 0);
  EXPECT_EQ(game.slideFrom, sf::Vector2f(384, 196));
  EXPECT_EQ(game.slideTo, sf::Vector2f(576, 196));
  // Three cells: the start and the two passed before the end.
  EXPECT_EQ(game.trail, (std::vector<GridCell>{{0, 0}, {0, 1}, {0, 2}}));
}

TEST_F(Rules, MSwitchesSoundAndMovesStillCount) {
  test::press(game, Key::Num1);
  test::press(game, Key::M);
  EXPECT_FALSE(game.soundBank.enabled);
  move(game, Key::Right);
  EXPECT_EQ(game.moves, 1);
  EXPECT_EQ(game.playerCol, 3);
  test::press(game, Key::M);
  EXPECT_TRUE(game.soundBank.enabled);
  // The switch outlives restarts.
  test::press(game, Key::M);
  test::press(game, Key::R);
  EXPECT_FALSE(game.soundBank.enabled);
}

TEST_F(Rules, TheTrailKeepsTheNewest24) {
  test::press(game, Key::Num1);
  // Right passes (0,1), (0,2) to (0,3); Left passes back to (0,0).
  for (int i = 0; i < 5; ++i) {
    move(game, Key::Right);
    move(game, Key::Left);
  }
  EXPECT_EQ(game.moves, 10);
  std::vector<GridCell> expected;
  for (int i = 0; i < 4; ++i) {
    expected.insert(expected.end(), {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 2}, {0, 1}});
  }
  EXPECT_EQ(game.trail, expected);
}

TEST_F(Rules, KeysDuringASlideAreDropped) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, kFrame);
  test::press(game, Key::Left);
  test::advance(game, kFrame);
  EXPECT_TRUE(game.sliding);
  EXPECT_NEAR(game.slideProgress, 0.1f / 0.13f, 1e-6f);
  test::advance(game, kFrame);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.slideProgress, 1.f);
  EXPECT_EQ(game.playerCol, 3);
  EXPECT_EQ(game.moves, 1);
  // Not queued: the figure rests until the next key.
  test::advance(game, kFrame, 4);
  EXPECT_EQ(game.playerCol, 3);
  move(game, Key::Left);
  EXPECT_EQ(game.playerCol, 0);
  EXPECT_EQ(game.moves, 2);
}

TEST_F(Rules, EveryDirectionKeyInPlay) {
  // Each key's slide, from a cell of level 1's solution where it is free.
  struct Case {
    Key key;
    std::vector<Key> before;
    int row;
    int column;
  };
  const std::vector<Case> cases{
      {Key::Right, {}, 0, 1},
      {Key::D, {}, 0, 1},
      {Key::Down, {Key::Right}, 1, 0},
      {Key::S, {Key::Right}, 1, 0},
      {Key::Left, {Key::Right}, 0, -1},
      {Key::A, {Key::Right}, 0, -1},
      {Key::Up, {Key::Right, Key::Down}, -1, 0},
      {Key::W, {Key::Right, Key::Down}, -1, 0},
  };
  for (const Case& c : cases) {
    test::press(game, Key::Num1);
    for (const Key key : c.before) {
      move(game, key);
    }
    const SlideResult expected =
        traceSlide(game.board, game.playerRow, game.playerCol, c.row, c.column, 7, 9);
    ASSERT_FALSE(expected.passed.empty());
    test::press(game, c.key);
    EXPECT_TRUE(game.sliding) << static_cast<int>(c.key);
    EXPECT_EQ(game.targetRow, expected.endRow) << static_cast<int>(c.key);
    EXPECT_EQ(game.targetCol, expected.endColumn) << static_cast<int>(c.key);
    EXPECT_EQ(game.moves, static_cast<int>(c.before.size()) + 1);
    game.state = GameState::Menu;  // straight back to the title for the next case
  }
}

TEST_F(Rules, TheGoalCountsWhenASlideComesToRestOnIt) {
  test::press(game, Key::Num1);
  for (std::size_t i = 0; i + 1 < kLevelOneSolution.size(); ++i) {
    move(game, kLevelOneSolution[i]);
    EXPECT_EQ(game.state, GameState::Playing);
  }
  test::press(game, kLevelOneSolution.back());
  EXPECT_EQ(game.targetRow, 6);
  EXPECT_EQ(game.targetCol, 8);
  test::advance(game, kFrame, 2);
  EXPECT_EQ(game.state, GameState::Playing);
  test::advance(game, kFrame);
  EXPECT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.moves, 5);
  EXPECT_FALSE(game.timerRunning);
  EXPECT_EQ(game.playerRow, 6);
  EXPECT_EQ(game.playerCol, 8);
}

TEST_F(Rules, StandingOnTheGoalWithoutASlideDoesNotWin) {
  test::press(game, Key::Num1);
  game.playerRow = 6;  // no key puts the figure there without a slide
  game.playerCol = 8;
  test::advance(game, kFrame, 5);
  EXPECT_EQ(game.state, GameState::Playing);
}

TEST_F(Rules, TheTimerRunsFromTheStartOnlyWhilePlaying) {
  test::advance(game, kFrame, 4);
  EXPECT_EQ(game.elapsedTime, 0.f);
  test::press(game, Key::Num1);
  float expected = 0.f;
  for (int i = 0; i < 4; ++i) {
    test::advance(game, kFrame);
    expected += kFrame;
  }
  EXPECT_EQ(game.elapsedTime, expected);  // no move made yet
  test::press(game, Key::Escape);
  test::advance(game, kFrame, 10);
  EXPECT_EQ(game.elapsedTime, expected);
  test::press(game, Key::Escape);
  test::advance(game, 0.02f);
  expected += 0.02f;
  EXPECT_EQ(game.elapsedTime, expected);
  // Through the win: the winning frame's time counts, then the clock stops.
  for (const Key key : kLevelOneSolution) {
    test::press(game, key);
    for (int i = 0; i < 3; ++i) {
      test::advance(game, kFrame);
      expected += kFrame;
    }
  }
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.elapsedTime, expected);
  test::advance(game, kFrame, 10);
  EXPECT_EQ(game.elapsedTime, expected);
}

TEST_F(Rules, TheGlowPhaseRunsFasterWhileSliding) {
  test::press(game, Key::Num1);
  test::advance(game, kFrame);
  EXPECT_FLOAT_EQ(game.idlePhase, 0.06f);
  test::press(game, Key::Right);
  test::advance(game, kFrame);
  EXPECT_FLOAT_EQ(game.idlePhase, 0.06f + 0.24f);
  for (int i = 0; i < 400; ++i) {
    test::advance(game, kFrame);
    ASSERT_GE(game.idlePhase, 0.f);
    ASSERT_LE(game.idlePhase, 6.2831855f);
  }
}

TEST_F(Rules, ASlideWaitsWhilePausedAndFinishesAfter) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, kFrame);
  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  test::advance(game, kFrame, 20);
  EXPECT_TRUE(game.sliding);
  EXPECT_EQ(game.slideElapsed, kFrame);
  EXPECT_EQ(game.playerCol, 0);
  // "FORTSETT" resumes like Escape does.
  test::press(game, Key::Enter);
  ASSERT_EQ(game.state, GameState::Playing);
  test::advance(game, kFrame, 2);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.playerCol, 3);
}

TEST_F(Rules, RDuringASlideRestartsAtOnce) {
  test::press(game, Key::Num2);
  test::press(game, Key::Right);
  ASSERT_TRUE(game.sliding);
  test::press(game, Key::R);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.levelIndex, 1);
  EXPECT_EQ(game.moves, 0);
  EXPECT_EQ(game.playerCol, 0);
  test::advance(game, kFrame, 3);
  EXPECT_EQ(game.playerCol, 0);
}

TEST_F(Rules, RestartFromThePauseMenuDiscardsTheSlide) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::send(game,
             {test::keyPress(Key::Escape), test::keyPress(Key::Down), test::keyPress(Key::Space)});
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.moves, 0);
  test::advance(game, kFrame, 3);
  EXPECT_EQ(game.playerCol, 0);
}

// ---------------------------------------------------------------- key map

TEST_F(Rules, TitleScreenKeys) {
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 4);  // level 1 wraps to level 5
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::W);
  EXPECT_EQ(game.menuSelection, 4);
  test::press(game, Key::S);
  test::press(game, Key::S);
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 2);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::Escape, Key::R, Key::M, Key::F11,
                       Key::Numpad1, Key::Num0, Key::Num6, Key::Backspace});
  test::press(game, Key::Enter);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 2);
  EXPECT_EQ(game.menuSelection, 0);

  game.state = GameState::Menu;  // as "VELG NIVÅ" leaves it
  test::send(game, {test::keyPress(Key::Up), test::keyPress(Key::Space)});
  EXPECT_EQ(game.levelIndex, 4);
  const Key digits[] = {Key::Num1, Key::Num2, Key::Num3, Key::Num4, Key::Num5};
  for (int i = 0; i < kLevelCount; ++i) {
    game.state = GameState::Menu;
    test::press(game, digits[i]);
    EXPECT_EQ(game.state, GameState::Playing);
    EXPECT_EQ(game.levelIndex, i);
  }
}

TEST_F(Rules, PlayingKeysWithoutMeaning) {
  test::press(game, Key::Num3);
  move(game, solve(game).front());
  expectIgnored(game, {Key::Enter, Key::Space, Key::Num1, Key::Num5, Key::Q, Key::Tab});
  EXPECT_EQ(game.levelIndex, 2);
  EXPECT_EQ(game.moves, 1);
}

TEST_F(Rules, PausedKeys) {
  test::press(game, Key::Num1);
  move(game, Key::Right);
  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  EXPECT_FALSE(game.timerRunning);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::R, Key::M, Key::F11, Key::Num1,
                       Key::Num5});
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  test::press(game, Key::S);
  EXPECT_EQ(game.menuSelection, 2);
  test::press(game, Key::W);
  test::press(game, Key::Up);
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 3);  // wrapped from the first item to "AVSLUTT"
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::Escape);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_TRUE(game.timerRunning);
  EXPECT_EQ(game.playerCol, 3);
  EXPECT_EQ(game.moves, 1);
}

TEST_F(Rules, WonKeysInTheirThreeModes) {
  winLevelOne();
  // Name entry: only Escape acts.
  ASSERT_TRUE(game.nameEntryActive);
  expectIgnored(game,
                {Key::Up, Key::Down, Key::Enter, Key::Space, Key::R, Key::M, Key::F11, Key::Num2});
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);

  // A result on screen: only Enter and Space act, and only to clear it.
  game.resultReady = true;  // as the submission worker delivers it
  expectIgnored(game, {Key::Up, Key::Down, Key::S, Key::Escape, Key::R, Key::M, Key::F11});
  test::press(game, Key::Enter);
  EXPECT_FALSE(game.resultReady);
  EXPECT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.levelIndex, 0);
  game.resultReady = true;
  test::press(game, Key::Space);
  EXPECT_FALSE(game.resultReady);
  EXPECT_EQ(game.state, GameState::Won);

  // The menu: Escape, mute and full screen do nothing.
  expectIgnored(game, {Key::Escape, Key::M, Key::F11, Key::R, Key::Left, Key::Right, Key::Num3});
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  test::press(game, Key::Up);
  test::press(game, Key::Space);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 1);
}

TEST_F(Rules, NameTyping) {
  winLevelOne();
  // Characters typed in the first 0.3 s are dropped.
  test::type(game, "ab");
  EXPECT_EQ(game.playerName, "");
  test::advance(game, kFrame, 7);
  test::type(game, "Ola N");
  EXPECT_EQ(game.playerName, "Ola N");
  test::send(game, {test::textEntered(8)});
  EXPECT_EQ(game.playerName, "Ola ");
  // Outside 32 to 126: dropped, "å" included.
  test::send(game, {test::textEntered(U'å'), test::textEntered(127), test::textEntered(9),
                    test::textEntered(27), test::textEntered(0x263A)});
  EXPECT_EQ(game.playerName, "Ola ");
  test::type(game, "~0123456789ABCDEF");
  EXPECT_EQ(game.playerName, "Ola ~0123456789A");
  EXPECT_EQ(game.playerName.size(), 16u);
  for (int i = 0; i < 20; ++i) {
    test::send(game, {test::textEntered(8)});
  }
  EXPECT_EQ(game.playerName, "");
  test::type(game, "Kari");
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  test::type(game, "xyz");
  EXPECT_EQ(game.playerName, "Kari");
  // Nor does typing reach the name while playing.
  test::press(game, Key::Enter);
  ASSERT_EQ(game.state, GameState::Playing);
  test::type(game, "q");
  EXPECT_EQ(game.playerName, "Kari");
}

TEST_F(Rules, EscapeClosesTheNameEntryWithinTheCooldown) {
  winLevelOne();
  EXPECT_FLOAT_EQ(game.nameInputCooldown, 0.3f);
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);
}

TEST_F(Rules, FullScreenKeyOnlyWhilePlaying) {
  const sf::Vector2u size = game.window.getSize();
  test::press(game, Key::F11);
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_FALSE(game.fullscreen);
  EXPECT_EQ(game.window.getSize(), size);
  test::send(game,
             {test::keyPress(Key::Num1), test::keyPress(Key::Escape), test::keyPress(Key::F11)});
  EXPECT_EQ(game.state, GameState::Paused);
  EXPECT_FALSE(game.fullscreen);
  EXPECT_EQ(game.window.getSize(), size);
}

TEST_F(Rules, ACloseEventLeavesTheRestOfTheBurst) {
  test::send(game, {test::keyPress(Key::Num2), test::closed(), test::keyPress(Key::Escape)});
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 1);
}

TEST_F(Rules, QuitFromThePauseMenuEndsTheBurst) {
  test::press(game, Key::Num1);
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Up),
                    test::keyPress(Key::Enter), test::keyPress(Key::Escape)});
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Paused);
}

TEST_F(Rules, OtherEventsAreIgnoredAndResizeKeepsPixelsSquare) {
  test::press(game, Key::Num1);
  const sf::Vector2f offset = game.boardOffset;
  const Snapshot before(game);
  test::send(game, {test::focusLost(), test::resized(1000, 600),
                    sf::Event::KeyReleased{Key::Escape, sf::Keyboard::Scancode::Escape, false,
                                           false, false, false}});
  EXPECT_TRUE(Snapshot(game) == before);
  EXPECT_EQ(game.boardOffset, offset);
  EXPECT_EQ(game.window.getView().getSize(), sf::Vector2f(1000, 600));
  EXPECT_EQ(game.window.getView().getCenter(), sf::Vector2f(500, 300));
  // In every state.
  test::press(game, Key::Escape);
  test::send(game, {test::resized(1280, 720)});
  EXPECT_EQ(game.window.getView().getSize(), sf::Vector2f(1280, 720));
  EXPECT_EQ(game.state, GameState::Paused);
}

// ---------------------------------------------------------------- menus

TEST_F(Rules, PauseMenu) {
  test::press(game, Key::Num1);
  test::press(game, Key::Escape);
  EXPECT_EQ(labels(game),
            (std::vector<std::wstring>{L"FORTSETT", L"RESTART NIVÅ", L"VELG NIVÅ", L"AVSLUTT"}));
  EXPECT_EQ(primaries(game), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(game.menuSelection, 0);
  // Every pause starts on "FORTSETT".
  test::send(game, {test::keyPress(Key::Down), test::keyPress(Key::Down),
                    test::keyPress(Key::Escape), test::keyPress(Key::Escape)});
  EXPECT_EQ(game.state, GameState::Paused);
  EXPECT_EQ(game.menuSelection, 0);
  // Leaving the pause with Escape keeps the menu list as it was.
  test::press(game, Key::Escape);
  EXPECT_EQ(game.menuItems.size(), 4u);
}

TEST_F(Rules, ChoosingALevelEmptiesTheMenuThatHeldIt) {
  test::press(game, Key::Num4);
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Down),
                    test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.menuItems.empty());
  EXPECT_EQ(game.menuSelection, 0);  // the title starts on level 1 again
  // Enter on the title then starts level 1, not the item that was destroyed.
  test::press(game, Key::Enter);
  EXPECT_EQ(game.levelIndex, 0);
}

TEST_F(Rules, WinMenuOfLevelOne) {
  winLevelOne();
  EXPECT_EQ(labels(game), (std::vector<std::wstring>{L"NESTE NIVÅ  LEVEL 2", L"SPILL NIVÅ 1 IGJEN",
                                                     L"VELG NIVÅ", L"AVSLUTT"}));
  EXPECT_EQ(primaries(game), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(game.menuSelection, 0);
  EXPECT_TRUE(game.nameEntryActive);
  EXPECT_FALSE(game.resultReady);
  EXPECT_EQ(game.playerName, "");
  test::press(game, Key::Escape);
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 3);  // wraps to "AVSLUTT"
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
}

TEST_F(Rules, WinMenuOfLevelThreeAndItsActions) {
  test::press(game, Key::Num3);
  win(game);
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(labels(game), (std::vector<std::wstring>{L"NESTE NIVÅ  LEVEL 4", L"SPILL NIVÅ 3 IGJEN",
                                                     L"VELG NIVÅ", L"AVSLUTT"}));
  EXPECT_EQ(game.moves, 29);
  test::press(game, Key::Escape);
  // Replay: the same level afresh.
  test::send(game, {test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 2);
  EXPECT_EQ(game.moves, 0);
  EXPECT_TRUE(game.timerRunning);
  // Next level from the first item.
  win(game);
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Enter)});
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 3);
  // "VELG NIVÅ" and "AVSLUTT".
  win(game);
  EXPECT_EQ(game.moves, 41);
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Down),
                    test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.menuItems.empty());
  test::press(game, Key::Num4);
  win(game);
  test::send(game,
             {test::keyPress(Key::Escape), test::keyPress(Key::Up), test::keyPress(Key::Enter)});
  EXPECT_FALSE(game.window.isOpen());
}

TEST_F(Rules, WinMenuOfTheLastLevel) {
  test::press(game, Key::Num5);
  win(game);
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(labels(game),
            (std::vector<std::wstring>{L"SPILL NIVÅ 5 IGJEN", L"VELG NIVÅ", L"AVSLUTT"}));
  EXPECT_EQ(primaries(game), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::Escape);
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 2);
  test::press(game, Key::Down);
  test::press(game, Key::Enter);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 4);
}

TEST(BestRecordRule, FirstSetsEqualKeepsSmallerReplaces) {
  BestRecord record;
  recordBestTime(record, 12.5f);  // the stored 0 must not win over a first time
  EXPECT_TRUE(record.hasBest);
  EXPECT_EQ(record.bestTime, 12.5f);
  recordBestTime(record, 13.f);
  EXPECT_EQ(record.bestTime, 12.5f);
  recordBestTime(record, 12.5f);
  EXPECT_EQ(record.bestTime, 12.5f);
  recordBestTime(record, 9.25f);
  EXPECT_EQ(record.bestTime, 9.25f);
  EXPECT_TRUE(record.hasBest);
}

TEST_F(Rules, BestTimesThroughPlay) {
  winLevelOne();
  const float first = game.elapsedTime;
  EXPECT_TRUE(game.bestRecords[0].hasBest);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);

  // Restarts never touch it: the replay item, R, and "RESTART NIVÅ".
  test::send(game,
             {test::keyPress(Key::Escape), test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Playing);
  test::press(game, Key::R);
  test::send(game,
             {test::keyPress(Key::Escape), test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);

  // Slower keeps it.
  test::advance(game, kFrame, 10);
  for (const Key key : kLevelOneSolution) {
    move(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_GT(game.elapsedTime, first);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);

  // Faster replaces it.
  test::send(game,
             {test::keyPress(Key::Escape), test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  for (const Key key : kLevelOneSolution) {
    test::press(game, key);
    test::advance(game, 0.045f, 3);
  }
  ASSERT_EQ(game.state, GameState::Won);
  const float faster = game.elapsedTime;
  EXPECT_LT(faster, first);
  EXPECT_EQ(game.bestRecords[0].bestTime, faster);

  // Other levels keep their own, and all survive "VELG NIVÅ".
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Up), test::keyPress(Key::Up),
                    test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Menu);
  test::press(game, Key::Num2);
  win(game);
  EXPECT_TRUE(game.bestRecords[1].hasBest);
  EXPECT_EQ(game.bestRecords[1].bestTime, game.elapsedTime);
  EXPECT_EQ(game.bestRecords[0].bestTime, faster);
  for (int i = 2; i < kLevelCount; ++i) {
    EXPECT_FALSE(game.bestRecords[static_cast<std::size_t>(i)].hasBest);
  }
}
