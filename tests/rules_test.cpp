// The rules of play through the game's own event handler: levels and where
// their boards lie, moves and slides, every screen's keys, name typing, the
// menus, best times, status texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr float kFrame = 0.05f;
constexpr Key kDigits[] = {Key::Num1, Key::Num2, Key::Num3, Key::Num4, Key::Num5};

// The menu as (label, primary) pairs.
using Menu = std::vector<std::pair<std::wstring, bool>>;
Menu menu(const Game& game) {
  Menu items;
  for (const MenuItem& item : game.menuItems) {
    items.emplace_back(item.label.toWideString(), item.primary);
  }
  return items;
}

// Everything a key without meaning must leave as it was.
auto snapshot(const Game& g) {
  return std::make_tuple(g.state, g.levelIndex, g.menuSelection, g.menuItems.size(), g.moves,
                         g.sliding, g.playerRow, g.playerCol, g.soundBank.enabled,
                         g.nameEntryActive, g.resultReady, g.playerName, g.fullscreen,
                         g.window.getSize(), g.timerRunning);
}

void expectIgnored(Game& game, std::initializer_list<Key> keys) {
  for (const Key key : keys) {
    const auto before = snapshot(game);
    test::press(game, key);
    EXPECT_TRUE(snapshot(game) == before)
        << "key " << static_cast<int>(key) << " in state " << static_cast<int>(game.state);
  }
}

class Rules : public ::testing::Test {
 protected:
  Game game;

  void winLevelOne() {
    test::press(game, Key::Num1);
    probe::play(game, probe::kLevelOneSolution);
    ASSERT_EQ(game.state, GameState::Won);
  }
};

}  // namespace

TEST_F(Rules, EveryLevelStartsAfresh) {
  const sf::Vector2f boardOffsets[] = {{352, 164}, {332, 136}, {328, 124}, {325, 115}, {334, 118}};
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.board.empty());
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(i)];
    SCOPED_TRACE(level.label);
    test::press(game, kDigits[i]);
    ASSERT_EQ(game.state, GameState::Playing);
    EXPECT_EQ(game.levelIndex, i);
    EXPECT_EQ(game.columns, level.columns);
    EXPECT_EQ(game.rows, level.rows);
    EXPECT_EQ(game.tileSize, static_cast<float>(level.tileSize));
    EXPECT_EQ(game.boardOffset, boardOffsets[i]);
    ASSERT_EQ(game.board.size(), static_cast<std::size_t>(level.rows));
    ASSERT_EQ(game.board[0].size(), static_cast<std::size_t>(level.columns));
    // Levels 1 to 4 are the fixed mazes whatever the clock; level 5 can always be won.
    if (i < kLastLevel) {
      const Board fixed = generateMaze(level.columns, level.rows, levelSeed(i, 0));
      EXPECT_EQ(test::eastWalls(game.board), test::eastWalls(fixed));
      EXPECT_EQ(test::southWalls(game.board), test::southWalls(fixed));
    }
    EXPECT_GE(test::slideCount(game.board, game.rows, game.columns), 1);
    EXPECT_EQ(game.playerRow, 0);
    EXPECT_EQ(game.playerCol, 0);
    EXPECT_EQ(game.moves, 0);
    EXPECT_TRUE(game.timerRunning);
    test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});  // "VELG NIVÅ"
    ASSERT_EQ(game.state, GameState::Menu);
  }
}

TEST_F(Rules, StartingALevelClearsTheLastAttempt) {
  test::press(game, Key::Num2);
  test::press(game, Key::Right);
  test::advance(game, kFrame);           // R in the middle of a slide
  game.particles.push_back(Particle{});  // confetti still falling from a win
  ASSERT_FALSE(game.effects.sparks.empty());
  test::press(game, Key::R);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 1);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.moves, 0);
  EXPECT_EQ(game.elapsedTime, 0.f);
  EXPECT_EQ(game.slideProgress, 0.f);
  EXPECT_EQ(game.idlePhase, 0.f);
  EXPECT_TRUE(game.trail.empty());
  EXPECT_TRUE(game.particles.empty());
  EXPECT_TRUE(game.effects.sparks.empty());
  EXPECT_TRUE(game.effects.cracks.empty());
  test::advance(game, kFrame, 3);
  EXPECT_EQ(game.playerCol, 0) << "the slide is discarded";
}

TEST_F(Rules, ABlockedMoveChangesNothing) {
  test::press(game, Key::Num1);
  const int voice = game.soundBank.nextVoice;
  const int firstDraw = test::randDraws(99, 1)[0];
  // Level 1's start has the edge above and to the left and a wall below.
  test::press(game, {Key::Up, Key::Left, Key::Down, Key::W, Key::A, Key::S});
  EXPECT_EQ(game.moves, 0);
  EXPECT_FALSE(game.sliding);
  EXPECT_TRUE(game.trail.empty());
  EXPECT_TRUE(game.effects.sparks.empty());
  EXPECT_TRUE(game.effects.cracks.empty());
  EXPECT_EQ(game.soundBank.nextVoice, voice);
  EXPECT_EQ(gameRand(), firstDraw) << "a blocked move drew random numbers";
}

TEST_F(Rules, ASlideIsOneMoveThatLeavesATrail) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  EXPECT_TRUE(game.sliding);
  EXPECT_EQ(game.moves, 1);
  EXPECT_EQ(game.targetRow, 0);
  EXPECT_EQ(game.targetCol, 3);
  EXPECT_EQ(game.playerCol, 0) << "the figure keeps its cell until the slide is over";
  EXPECT_EQ(game.slideFrom, sf::Vector2f(384, 196));
  EXPECT_EQ(game.slideTo, sf::Vector2f(576, 196));
  // The start and the two cells passed before the end.
  EXPECT_EQ(game.trail, (std::vector<GridCell>{{0, 0}, {0, 1}, {0, 2}}));

  // A key during the slide is dropped, not queued.
  test::advance(game, kFrame);
  test::press(game, Key::Left);
  test::advance(game, kFrame);
  EXPECT_TRUE(game.sliding);
  EXPECT_NEAR(game.slideProgress, 0.1f / 0.13f, 1e-6f);
  test::advance(game, kFrame);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.slideProgress, 1.f);
  EXPECT_EQ(game.playerCol, 3);
  test::advance(game, kFrame, 4);
  EXPECT_EQ(game.playerCol, 3);
  EXPECT_EQ(game.moves, 1);

  // Back and forth: the trail keeps the newest 24 cells.
  test::move(game, Key::Left);
  for (int i = 0; i < 4; ++i) {
    test::move(game, Key::Right);
    test::move(game, Key::Left);
  }
  ASSERT_EQ(game.trail.size(), 24u);
  EXPECT_EQ(game.trail.front(), (GridCell{0, 0}));
  EXPECT_EQ(game.trail.back(), (GridCell{0, 1}));
}

TEST_F(Rules, TheFigureIsEasedAlongTheSlide) {
  test::press(game, Key::Num1);
  test::press(game, Key::Right);  // (0, 0) to (0, 3): x from 384 to 576 on y = 196
  // Quadratic ease in and out: 2 p^2, then (4 - 2 p) p - 1.
  test::advance(game, 0.0325f);  // a quarter of the 0.13 s
  EXPECT_NEAR(game.playerPosition().x, 408.f, 0.05f);
  EXPECT_NEAR(game.playerPosition().y, 196.f, 0.05f);
  test::advance(game, 0.065f);
  EXPECT_NEAR(game.playerPosition().x, 552.f, 0.05f);
  test::advance(game, 0.05f);
  ASSERT_FALSE(game.sliding);
  EXPECT_EQ(game.playerPosition(), sf::Vector2f(576, 196));
}

TEST_F(Rules, LetterKeysMoveLikeTheArrows) {
  test::press(game, Key::Num1);
  for (const auto& [key, row, column] :
       {std::tuple{Key::D, 0, 3}, {Key::S, 5, 3}, {Key::W, 0, 3}, {Key::A, 0, 0}}) {
    test::move(game, key);
    EXPECT_EQ(game.playerRow, row);
    EXPECT_EQ(game.playerCol, column);
  }
  EXPECT_EQ(game.moves, 4);
}

TEST_F(Rules, OnlyASlideThatComesToRestOnTheGoalWins) {
  test::press(game, Key::Num1);
  game.playerRow = 6;  // no key puts the figure there without a slide
  game.playerCol = 8;
  test::advance(game, kFrame, 5);
  EXPECT_EQ(game.state, GameState::Playing);

  test::press(game, Key::R);
  probe::play(game, {Key::Right, Key::Down, Key::Left, Key::Down});
  EXPECT_EQ(game.state, GameState::Playing);
  // The status bar follows play.
  EXPECT_EQ(game.hud->movesText, "4");
  EXPECT_EQ(game.hud->levelText, "LEVEL 1");
  EXPECT_EQ(game.hud->timeText, formatTime(game.elapsedTime));
  EXPECT_EQ(game.hud->bestText, "--:--");
  test::press(game, Key::Right);
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
  EXPECT_EQ(game.hud->movesText, "5");
  EXPECT_EQ(game.hud->timeText, formatTime(game.elapsedTime));
  EXPECT_EQ(game.hud->bestText, formatTime(game.elapsedTime));
}

TEST_F(Rules, TheTimerRunsFromTheStartOnlyWhilePlaying) {
  test::advance(game, kFrame, 4);
  EXPECT_EQ(game.elapsedTime, 0.f);
  test::press(game, Key::Num1);
  float expected = 0.f;
  for (int i = 0; i < 4; ++i, expected += kFrame) test::advance(game, kFrame);
  EXPECT_EQ(game.elapsedTime, expected);  // no move made yet
  test::press(game, Key::Escape);
  test::advance(game, kFrame, 10);
  EXPECT_EQ(game.elapsedTime, expected);
  test::press(game, Key::Escape);
  test::advance(game, 0.02f);
  expected += 0.02f;
  EXPECT_EQ(game.elapsedTime, expected);
  // Through the win: the winning frame's time counts, then the clock stops.
  for (const Key key : probe::kLevelOneSolution) {
    test::press(game, key);
    for (int i = 0; i < 3; ++i, expected += kFrame) test::advance(game, kFrame);
  }
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.elapsedTime, expected);
  test::advance(game, kFrame, 10);
  EXPECT_EQ(game.elapsedTime, expected);
}

TEST_F(Rules, ASlideWaitsWhilePausedAndARestartDiscardsIt) {
  test::press(game, Key::Num2);
  test::press(game, Key::Right);
  const int end = game.targetCol;
  ASSERT_GT(end, 0);
  test::advance(game, kFrame);
  test::press(game, Key::Escape);
  test::advance(game, kFrame, 20);
  EXPECT_TRUE(game.sliding);
  EXPECT_EQ(game.slideElapsed, kFrame);
  EXPECT_EQ(game.playerCol, 0);
  test::press(game, Key::Enter);  // "FORTSETT" resumes like Escape does
  ASSERT_EQ(game.state, GameState::Playing);
  test::advance(game, kFrame, 2);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.playerCol, end);

  // "RESTART NIVÅ" during a slide restarts at once, as R does.
  test::press(game, Key::R);
  test::press(game, Key::Right);
  ASSERT_TRUE(game.sliding);
  test::press(game, {Key::Escape, Key::Down, Key::Space});
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.moves, 0);
  test::advance(game, kFrame, 3);
  EXPECT_EQ(game.playerCol, 0);
}

TEST_F(Rules, TitleScreenKeys) {
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 4);  // level 1 wraps to level 5
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::W);
  EXPECT_EQ(game.menuSelection, 4);
  test::press(game, {Key::S, Key::S, Key::Down});
  EXPECT_EQ(game.menuSelection, 2);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::Escape, Key::R, Key::M, Key::F11,
                       Key::Numpad1, Key::Num0, Key::Num6, Key::Backspace});
  test::press(game, Key::Enter);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.levelIndex, 2);
  EXPECT_EQ(game.menuSelection, 0);

  game.state = GameState::Menu;  // as "VELG NIVÅ" leaves it
  test::press(game, {Key::Up, Key::Space});
  EXPECT_EQ(game.levelIndex, 4);  // the digits: EveryLevelStartsAfresh
}

TEST_F(Rules, PlayingAndPausedKeysAndThePauseMenu) {
  test::press(game, Key::Num1);
  test::move(game, Key::Right);
  expectIgnored(game, {Key::Enter, Key::Space, Key::Num1, Key::Num5, Key::Q, Key::Tab});
  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  EXPECT_FALSE(game.timerRunning);
  EXPECT_EQ(menu(game), (Menu{{L"FORTSETT", true},
                              {L"RESTART NIVÅ", false},
                              {L"VELG NIVÅ", false},
                              {L"AVSLUTT", false}}));
  EXPECT_EQ(game.menuSelection, 0);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::R, Key::M, Key::F11, Key::Num1,
                       Key::Num5});
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  test::press(game, Key::S);
  EXPECT_EQ(game.menuSelection, 2);
  test::press(game, {Key::W, Key::Up, Key::Up});
  EXPECT_EQ(game.menuSelection, 3);  // wrapped from the first item to "AVSLUTT"
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::Escape);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_TRUE(game.timerRunning);
  EXPECT_EQ(game.playerCol, 3);
  EXPECT_EQ(game.moves, 1);

  // Every pause starts on "FORTSETT"; leaving with Escape keeps the list.
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Escape, Key::Escape});
  EXPECT_EQ(game.state, GameState::Paused);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::Escape);
  EXPECT_EQ(game.menuItems.size(), 4u);
  // "VELG NIVÅ" empties the list that held it; the title starts on level 1
  // and Enter there starts level 1, not the item that was destroyed.
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.menuItems.empty());
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, Key::Enter);
  EXPECT_EQ(game.levelIndex, 0);
  // "AVSLUTT" closes the window; the rest of the burst is left unhandled.
  test::press(game, {Key::Escape, Key::Up, Key::Enter, Key::Escape});
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Paused);
}

TEST_F(Rules, WonKeysInTheirThreeModesAndNameTyping) {
  winLevelOne();
  // Name entry: of the keys only Escape acts; text goes to the name.
  ASSERT_TRUE(game.nameEntryActive);
  expectIgnored(game,
                {Key::Up, Key::Down, Key::Enter, Key::Space, Key::R, Key::M, Key::F11, Key::Num2});
  test::type(game, "ab");  // within the first 0.3 s: dropped
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
  for (int i = 0; i < 20; ++i) test::send(game, {test::textEntered(8)});
  EXPECT_EQ(game.playerName, "");
  test::type(game, "Kari");
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);
  test::type(game, "xyz");
  EXPECT_EQ(game.playerName, "Kari");

  // A result on screen: only Enter and Space act, and only to clear it.
  for (const Key confirm : {Key::Enter, Key::Space}) {
    game.resultReady = true;  // as the submission worker delivers it
    expectIgnored(game, {Key::Up, Key::Down, Key::S, Key::Escape, Key::R, Key::M, Key::F11});
    test::press(game, confirm);
    EXPECT_FALSE(game.resultReady);
    EXPECT_EQ(game.state, GameState::Won);
    EXPECT_EQ(game.menuSelection, 0);
  }

  // The menu: Escape, mute and full screen do nothing.
  expectIgnored(game, {Key::Escape, Key::M, Key::F11, Key::R, Key::Left, Key::Right, Key::Num3});
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  // Nor does typing reach the name while playing.
  test::press(game, {Key::Up, Key::Enter});
  ASSERT_EQ(game.state, GameState::Playing);
  test::type(game, "q");
  EXPECT_EQ(game.playerName, "Kari");
}

TEST_F(Rules, OtherEventsAreIgnoredAndResizeKeepsPixelsSquare) {
  test::press(game, Key::Num1);
  const sf::Vector2f offset = game.boardOffset;
  const auto before = snapshot(game);
  test::send(game, {test::focusLost(), test::resized(1000, 600),
                    sf::Event::KeyReleased{Key::Escape, sf::Keyboard::Scancode::Escape, false,
                                           false, false, false}});
  EXPECT_TRUE(snapshot(game) == before);
  EXPECT_EQ(game.boardOffset, offset);
  EXPECT_EQ(game.window.getView().getSize(), sf::Vector2f(1000, 600));
  EXPECT_EQ(game.window.getView().getCenter(), sf::Vector2f(500, 300));
  test::press(game, Key::Escape);
  test::send(game, {test::resized(1280, 720)});
  EXPECT_EQ(game.window.getView().getSize(), sf::Vector2f(1280, 720));
  EXPECT_EQ(game.state, GameState::Paused);
}

TEST(WinMenu, ItemsOfEveryLevelAndTheFirstGoesOn) {
  Game game;
  test::press(game, Key::Num1);
  for (int level = 1; level <= kLevelCount; ++level) {
    SCOPED_TRACE(level);
    probe::play(game, probe::solution(game));
    ASSERT_EQ(game.state, GameState::Won);
    Menu items{{L"SPILL NIVÅ " + std::to_wstring(level) + L" IGJEN", level == kLevelCount},
               {L"VELG NIVÅ", false},
               {L"AVSLUTT", false}};
    if (level < kLevelCount) {
      items.insert(items.begin(), {L"NESTE NIVÅ  LEVEL " + std::to_wstring(level + 1), true});
    }
    EXPECT_EQ(menu(game), items);
    EXPECT_EQ(game.menuSelection, 0);
    EXPECT_TRUE(game.nameEntryActive);
    EXPECT_FALSE(game.resultReady);
    EXPECT_EQ(game.playerName, "");
    test::press(game, {Key::Escape, Key::Up});
    EXPECT_EQ(game.menuSelection, static_cast<int>(items.size()) - 1);  // "AVSLUTT"
    test::press(game, Key::Down);
    EXPECT_EQ(game.menuSelection, 0);
    // The first item: the next level, or on level 5 the same one afresh.
    test::press(game, Key::Enter);
    ASSERT_EQ(game.state, GameState::Playing);
    EXPECT_EQ(game.levelIndex, std::min(level, kLastLevel));
  }
}

TEST(BestRecordRule, FirstSetsEqualKeepsSmallerReplaces) {
  BestRecord record;  // its stored 0 must not win over a first time
  for (const auto& [time, best] :
       {std::pair{12.5f, 12.5f}, {13.f, 12.5f}, {12.5f, 12.5f}, {9.25f, 9.25f}}) {
    recordBestTime(record, time);
    EXPECT_TRUE(record.hasBest);
    EXPECT_EQ(record.bestTime, best) << time;
  }
}

TEST_F(Rules, BestTimesThroughPlayAndTheWinMenuActions) {
  winLevelOne();
  const float first = game.elapsedTime;
  EXPECT_TRUE(game.bestRecords[0].hasBest);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);
  // Restarts never touch it: "SPILL NIVÅ 1 IGJEN" (the same level afresh),
  // then "RESTART NIVÅ".
  test::press(game, {Key::Escape, Key::Down, Key::Enter});
  EXPECT_EQ(game.levelIndex, 0);
  test::press(game, {Key::Escape, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Playing);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);
  // It survives "VELG NIVÅ", which empties the menu, and other levels keep
  // their own.
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Menu);
  EXPECT_TRUE(game.menuItems.empty());
  probe::winLevel(game, Key::Num2);
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_TRUE(game.bestRecords[1].hasBest);
  EXPECT_EQ(game.bestRecords[1].bestTime, game.elapsedTime);
  EXPECT_EQ(game.bestRecords[0].bestTime, first);
  EXPECT_FALSE(game.bestRecords[2].hasBest);
  // "AVSLUTT" closes the window.
  test::press(game, {Key::Escape, Key::Up, Key::Enter});
  EXPECT_FALSE(game.window.isOpen());
}
