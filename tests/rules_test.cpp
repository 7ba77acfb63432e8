// The rules of play through the game's own event handler: levels, moves and
// slides, every screen's keys, name typing, the menus, best times. What holds
// after any event whatever (the name's bytes and length, the trail's length,
// the figure on the board, the move count) the fuzz target checks.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;
using test::kFrame;

Key digit(int level) { return static_cast<Key>(static_cast<int>(Key::Num1) + level); }

// The menu as (label, primary) pairs.
using Menu = std::vector<std::pair<std::wstring, bool>>;
Menu menu(const Game& game) {
  Menu items;
  for (const MenuItem& item : game.menuItems)
    items.emplace_back(item.label.toWideString(), item.primary);
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
    EXPECT_TRUE(snapshot(game) == before) << "key " << int(key) << " in state " << int(game.state);
  }
}

auto cell(const Game& game) { return std::pair(game.playerRow, game.playerCol); }

class Rules : public ::testing::Test {
 protected:
  Game game;
};

}  // namespace

// That a start leaves the figure on the start cell with no moves, no trail and
// the clock at 0, the fuzz target checks after every event.
TEST_F(Rules, EveryStartOfALevelIsAFreshOne) {
  const sf::Vector2f boardOffsets[] = {{352, 164}, {332, 136}, {328, 124}, {325, 115}, {334, 118}};
  for (int i = 0; i < kLevelCount; ++i) {
    test::press(game, digit(i));
    EXPECT_EQ(std::tuple(game.state, game.levelIndex, game.boardOffset, game.timerRunning),
              std::tuple(GameState::Playing, i, boardOffsets[i], true));
    // Levels 1 to 4 are the fixed mazes whatever the clock.
    EXPECT_TRUE(i == kLastLevel || game.board == generateLevelBoard(i, 0));
    // R in the middle of a slide, confetti still falling from a win.
    test::press(game, test::solution(game).at(0));
    test::advance(game);
    game.particles.push_back(Particle{});
    test::press(game, Key::R);
    EXPECT_TRUE(!game.sliding && game.particles.empty() && game.effects.sparks.empty() &&
                game.effects.cracks.empty());
    test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});  // "VELG NIVÅ"
  }
}

TEST_F(Rules, ABlockedMoveChangesNothingAndDrawsNoRandomNumber) {
  test::press(game, Key::Num1);
  const int firstDraw = test::randDraws(99, 1)[0];
  // Level 1's start has the edge above and to the left and a wall below.
  test::press(game, {Key::Up, Key::Left, Key::Down, Key::W, Key::A, Key::S});
  EXPECT_EQ(std::tuple(game.moves, game.sliding, game.soundBank.nextVoice, game.trail.size()),
            std::tuple(0, false, 0, 0u));
  EXPECT_TRUE(game.effects.sparks.empty() && game.effects.cracks.empty());
  EXPECT_EQ(gameRand(), firstDraw);
}

// The figure's easing along a slide is pixel for pixel in docs/level.png.
TEST_F(Rules, ASlideIsOneMoveThatLeavesATrail) {
  test::press(game, {Key::Num1, Key::D});
  EXPECT_EQ(std::tuple(game.sliding, game.moves, game.targetRow, game.targetCol, game.playerCol),
            std::tuple(true, 1, 0, 3, 0))
      << "the figure keeps its cell until the slide is over";
  EXPECT_EQ(game.trail, (std::vector<GridCell>{{0, 0}, {0, 1}, {0, 2}}));
  test::advance(game);
  test::press(game, Key::A);  // dropped, not queued
  test::advance(game, 2);
  test::advance(game, 4);
  EXPECT_EQ(std::tuple(cell(game), game.moves), std::tuple(std::pair(0, 3), 1));
  // The letters move like the arrows.
  for (const auto& [key, row, column] :
       {std::tuple{Key::S, 5, 3}, {Key::W, 0, 3}, {Key::A, 0, 0}}) {
    test::move(game, key);
    EXPECT_EQ(cell(game), std::pair(row, column));
  }
  // Back and forth: the trail keeps the newest 24 cells of 34.
  test::play(game, {Key::Right, Key::Left, Key::Right, Key::Left, Key::Right, Key::Left}, kFrame);
  EXPECT_EQ(std::tuple(game.trail.size(), game.trail.front(), game.trail.back()),
            std::tuple(24u, GridCell{3, 3}, GridCell{0, 1}));
}

TEST_F(Rules, OnlyASlideThatComesToRestOnTheGoalWinsAndTheClockRunsOnlyWhilePlaying) {
  test::advance(game, 4);  // on the title
  test::press(game, Key::Num1);
  game.playerRow = 6;  // no key puts the figure on the goal without a slide
  game.playerCol = 8;
  test::advance(game, 4);
  EXPECT_EQ(game.state, GameState::Playing);
  EXPECT_NEAR(game.elapsedTime, 4 * kFrame, 1e-6f);
  test::press(game, {Key::R, Key::Right});
  test::advance(game);
  test::press(game, Key::Escape);  // a slide waits while paused
  test::advance(game, 20);
  EXPECT_EQ(std::tuple(game.sliding, game.slideElapsed, game.elapsedTime, game.playerCol),
            std::tuple(true, kFrame, kFrame, 0));
  test::press(game, Key::Enter);  // "FORTSETT" resumes like Escape does
  test::advance(game, 2);
  test::play(game, {Key::Down, Key::Left, Key::Down}, kFrame);
  test::press(game, Key::Right);
  EXPECT_EQ(std::pair(game.targetRow, game.targetCol), std::pair(6, 8));
  test::advance(game, 2);
  EXPECT_EQ(game.state, GameState::Playing);
  test::advance(game);  // the winning frame's time counts, then the clock stops
  test::advance(game, 10);
  EXPECT_EQ(std::tuple(game.state, game.moves, game.timerRunning, cell(game)),
            std::tuple(GameState::Won, 5, false, std::pair(6, 8)));
  EXPECT_NEAR(game.elapsedTime, 15 * kFrame, 1e-5f);
}

TEST_F(Rules, TitleScreenKeys) {
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 4);  // level 1 wraps to level 5
  test::press(game, {Key::Down, Key::W, Key::S, Key::S, Key::Down});
  EXPECT_EQ(game.menuSelection, 2);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::Escape, Key::R, Key::M, Key::F11,
                       Key::Numpad1, Key::Num0, Key::Num6, Key::Backspace});
  test::press(game, Key::Enter);
  EXPECT_EQ(std::tuple(game.state, game.levelIndex, game.menuSelection),
            std::tuple(GameState::Playing, 2, 0));
  game.state = GameState::Menu;  // as "VELG NIVÅ" leaves it
  test::press(game, {Key::Up, Key::Space});
  EXPECT_EQ(game.levelIndex, 4);
}

TEST_F(Rules, PlayingAndPausedKeysAndThePauseMenu) {
  test::press(game, Key::Num1);
  test::move(game, Key::Right);
  expectIgnored(game, {Key::Enter, Key::Space, Key::Num1, Key::Num5, Key::Q, Key::Tab});
  test::press(game, Key::Escape);
  EXPECT_EQ(std::tuple(game.state, game.timerRunning, game.menuSelection),
            std::tuple(GameState::Paused, false, 0));
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::R, Key::M, Key::F11, Key::Num1});
  for (const auto& [key, selection] : {std::pair{Key::Down, 1},
                                       {Key::S, 2},
                                       {Key::W, 1},
                                       {Key::Up, 0},
                                       {Key::Up, 3},
                                       {Key::Down, 0}}) {
    test::press(game, key);
    EXPECT_EQ(game.menuSelection, selection);
  }
  test::press(game, Key::Escape);
  EXPECT_EQ(std::tuple(game.state, game.timerRunning, game.playerCol, game.moves),
            std::tuple(GameState::Playing, true, 3, 1));
  // Every pause starts on "FORTSETT".
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Escape, Key::Escape});
  EXPECT_EQ(std::pair(game.state, game.menuSelection), std::pair(GameState::Paused, 0));
  // "VELG NIVÅ" empties the list that held it; the title starts on level 1
  // and Enter there starts level 1, not the item that was destroyed.
  test::press(game, {Key::Down, Key::Down, Key::Enter});
  EXPECT_EQ(std::tuple(game.state, game.menuItems.size(), game.menuSelection),
            std::tuple(GameState::Menu, 0u, 0));
  test::press(game, Key::Enter);
  EXPECT_EQ(std::pair(game.state, game.levelIndex), std::pair(GameState::Playing, 0));
  // "AVSLUTT" closes the window; the rest of the burst is left unhandled.
  test::press(game, {Key::Escape, Key::Up, Key::Enter, Key::Escape});
  EXPECT_EQ(std::pair(game.window.isOpen(), game.state), std::pair(false, GameState::Paused));
}

TEST_F(Rules, WonKeysInTheirThreeModesAndNameTyping) {
  test::win(game, Key::Num1);
  // Name entry: of the keys only Escape acts; text goes to the name, but not
  // within the first 0.3 s.
  expectIgnored(game,
                {Key::Up, Key::Down, Key::Enter, Key::Space, Key::R, Key::M, Key::F11, Key::Num2});
  test::type(game, "ab\r");
  EXPECT_EQ(std::pair(game.playerName, game.nameEntryActive), std::pair(std::string(), true));
  test::advance(game, 7);
  test::type(game, "Ola N\b");
  EXPECT_EQ(game.playerName, "Ola ");
  test::press(game, Key::Escape);
  test::type(game, "xyz");
  EXPECT_EQ(std::tuple(game.state, game.nameEntryActive, game.playerName),
            std::tuple(GameState::Won, false, "Ola "));
  // A result on screen: only Enter and Space act, and only to clear it.
  for (const Key confirm : {Key::Enter, Key::Space}) {
    game.resultReady = true;  // as the submission's hand-over leaves it
    expectIgnored(game, {Key::Up, Key::Down, Key::S, Key::Escape, Key::R, Key::M, Key::F11});
    test::type(game, "\r");
    EXPECT_TRUE(game.resultReady) << "the text event of Enter does not dismiss";
    test::press(game, confirm);
    EXPECT_EQ(std::tuple(game.resultReady, game.state, game.menuSelection),
              std::tuple(false, GameState::Won, 0));
  }
  // The menu: Escape, mute and full screen do nothing; nor does typing reach
  // the name while playing.
  expectIgnored(game, {Key::Escape, Key::M, Key::F11, Key::R, Key::Left, Key::Right, Key::Num3});
  test::press(game, {Key::Down, Key::Up, Key::Enter});
  test::type(game, "q");
  EXPECT_EQ(std::pair(game.state, game.playerName), std::pair(GameState::Playing, "Ola "));
}

TEST_F(Rules, OtherEventsAreIgnoredAResizeKeepsPixelsSquareAndACloseEndsTheDrain) {
  test::press(game, Key::Num1);
  const auto before = std::tuple(snapshot(game), game.boardOffset);
  test::send(game, {sf::Event::FocusLost{}, sf::Event::Resized{{1000, 600}},
                    sf::Event::KeyReleased{Key::Escape, sf::Keyboard::Scancode::Escape, false,
                                           false, false, false}});
  EXPECT_TRUE(std::tuple(snapshot(game), game.boardOffset) == before);
  EXPECT_EQ(std::pair(game.window.getView().getSize(), game.window.getView().getCenter()),
            std::pair(sf::Vector2f(1000, 600), sf::Vector2f(500, 300)));
  test::send(game, {test::keyPress(Key::Escape), sf::Event::Closed{}, test::keyPress(Key::Enter)});
  EXPECT_EQ(std::pair(game.window.isOpen(), game.state), std::pair(false, GameState::Paused))
      << "the Enter after the close is not handled";
  game.update(0.016f);
  game.render();
}

// The first item goes on to the next level, on level 5 to the same one
// afresh. The menus of levels 1 and 2 are pixel for pixel in the frames.
TEST_F(Rules, TheWinMenuAndWhereItsFirstItemGoes) {
  for (const int level : {0, kLastLevel}) {
    test::win(game, digit(level));
    test::press(game, {Key::Escape, Key::Up});
    EXPECT_EQ(game.menuSelection, int(game.menuItems.size()) - 1);  // "AVSLUTT"
    if (level == kLastLevel) {
      EXPECT_EQ(menu(game),
                (Menu{{L"SPILL NIVÅ 5 IGJEN", true}, {L"VELG NIVÅ", false}, {L"AVSLUTT", false}}));
    }
    test::press(game, {Key::Down, Key::Enter});
    EXPECT_EQ(std::pair(game.state, game.levelIndex),
              std::pair(GameState::Playing, std::min(level + 1, kLastLevel)));
    game.state = GameState::Menu;  // as "VELG NIVÅ" leaves it
  }
}

TEST_F(Rules, BestTimes) {
  BestRecord record;  // its stored 0 must not win over a first time
  for (const auto& [time, best] : {std::pair{12.5f, 12.5f}, {13.f, 12.5f}, {9.25f, 9.25f}}) {
    recordBestTime(record, time);
    EXPECT_EQ(std::pair(record.hasBest, record.bestTime), std::pair(true, best)) << time;
  }
  test::win(game, Key::Num1);
  const float first = game.elapsedTime;
  // Restarts never touch it ("SPILL NIVÅ 1 IGJEN", then "RESTART NIVÅ"), and
  // other levels keep their own.
  test::press(game, {Key::Escape, Key::Down, Key::Enter, Key::Escape, Key::Down, Key::Enter});
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  test::win(game, Key::Num2);
  EXPECT_EQ(std::tuple(game.bestRecords[0].bestTime, game.bestRecords[1].bestTime,
                       game.bestRecords[1].hasBest, game.bestRecords[2].hasBest),
            std::tuple(first, game.elapsedTime, true, false));
}

TEST(FormatTime, MinutesColonSecondsRoundedToHundredths) {
  for (const auto& [seconds, text] : {std::pair{65.25f, "1:05.25"},
                                      {600.f, "10:00.00"},
                                      {59.996f, "1:00.00"},
                                      {59.994f, "0:59.99"}}) {
    EXPECT_EQ(formatTime(seconds), text) << seconds;
  }
}
