// The rules of play through the game's own event handler: levels, moves and
// slides, every screen's keys, name typing, the menus, best times. What holds
// after any event whatever (the name's bytes and length, the trail's length,
// the figure on the board, the move count, a win only on the goal) the fuzz
// target checks.
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

// Everything a key without meaning must leave as it was.
auto snapshot(const Game& g) {
  return std::make_tuple(g.state, g.levelIndex, g.menuSelection, g.menuItems.size(), g.moves,
                         g.sliding, g.playerRow, g.playerCol, g.soundBank.enabled,
                         g.nameEntryActive, g.resultReady, g.playerName, g.fullscreen,
                         g.window.getSize(), g.timerRunning, g.boardOffset);
}

void expectIgnored(Game& game, std::initializer_list<Key> keys) {
  for (const Key key : keys) {
    const auto before = snapshot(game);
    test::press(game, key);
    EXPECT_TRUE(snapshot(game) == before) << "key " << int(key) << " in state " << int(game.state);
  }
}

struct Rules : ::testing::Test {
  Game game;
};

}  // namespace

TEST_F(Rules, EveryStartOfALevelIsAFreshOne) {
  const sf::Vector2f boardOffsets[] = {{352, 164}, {332, 136}, {328, 124}, {325, 115}, {334, 118}};
  for (int i = 0; i < kLevelCount; ++i) {
    test::press(game, test::digit(i));
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

// The figure's easing along a slide is pixel for pixel in docs/level.png.
TEST_F(Rules, ABlockedMoveDrawsNoRandomNumberASlideLeavesATrailAndWaitsWhilePaused) {
  test::press(game, Key::Num1);
  gameSrand(99);
  const int firstDraw = gameRand();
  gameSrand(99);
  // Level 1's start has the edge above and to the left and a wall below.
  expectIgnored(game, {Key::Up, Key::Left, Key::Down, Key::W, Key::A, Key::S});
  // No sound, no trail, no sparks or cracks (they would draw random numbers).
  EXPECT_EQ(std::tuple(game.trail.size(), game.soundBank.nextVoice, gameRand()),
            std::tuple(0u, 0, firstDraw));
  test::press(game, Key::D);  // the figure keeps its cell until the slide is over
  EXPECT_EQ(std::tuple(game.sliding, game.moves, game.targetCol, game.playerCol, game.trail),
            std::tuple(true, 1, 3, 0, std::vector<GridCell>{{0, 0}, {0, 1}, {0, 2}}));
  test::advance(game);
  test::press(game, {Key::A, Key::Escape});  // the A is dropped, not queued
  test::advance(game, 20);
  EXPECT_EQ(std::tuple(game.sliding, game.slideElapsed, game.elapsedTime, game.playerCol),
            std::tuple(true, kFrame, kFrame, 0));
  // Resumed like "FORTSETT" does, the slide ends on (0, 3) with one move:
  // the trail below starts there, and ten moves means the A was not queued.
  // The letters move like the arrows; back and forth the trail keeps the
  // newest 24 cells of 34.
  test::press(game, Key::Escape);
  test::advance(game, 2);
  test::play(game, {Key::S, Key::W, Key::A}, kFrame);
  for (int i = 0; i < 3; ++i) test::play(game, {Key::Right, Key::Left}, kFrame);
  EXPECT_EQ(std::tuple(game.trail.size(), game.trail.front(), game.trail.back(), game.moves),
            std::tuple(24u, GridCell{3, 3}, GridCell{0, 1}, 10));
  // The Enter after a close is not handled. (The frame the main loop still
  // draws into the closed window is the desktop test's, after "AVSLUTT".)
  test::send(game, {test::keyPress(Key::Escape), sf::Event::Closed{}, test::keyPress(Key::Enter)});
  EXPECT_EQ(std::pair(game.window.isOpen(), game.state), std::pair(false, GameState::Paused));
}

TEST_F(Rules, MenusWrapAndIgnoreKeysAndEventsWithoutMeaning) {
  // Level 1 wraps up to level 5 and back down; then up to level 4.
  test::press(game, {Key::Up, Key::Down, Key::W, Key::S, Key::W, Key::W});
  EXPECT_EQ(game.menuSelection, 3);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::Escape, Key::R, Key::M, Key::F11,
                       Key::Numpad1, Key::Num0, Key::Num6, Key::Backspace});
  test::press(game, Key::Space);
  EXPECT_EQ(std::pair(game.state, game.levelIndex), std::pair(GameState::Playing, 3));
  test::play(game, {test::solution(game).at(0)}, kFrame);
  expectIgnored(game, {Key::Enter, Key::Space, Key::Num1, Key::Num5, Key::Q, Key::Tab});
  test::press(game, Key::Escape);  // the pause's clock standing still is the slide's case
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::R, Key::M, Key::F11, Key::Num1});
  test::press(game, {Key::Up, Key::S, Key::Down});  // up past the top, down past the bottom
  EXPECT_EQ(game.menuSelection, 1);
  // Resumed and paused again: every pause starts on "FORTSETT". "VELG NIVÅ"
  // empties the list that held it; the title starts on level 1 and Enter
  // there starts level 1, not the item that was destroyed.
  test::press(game, {Key::Escape, Key::Escape, Key::Down, Key::Down, Key::Enter, Key::Enter});
  EXPECT_EQ(std::pair(game.state, game.levelIndex), std::pair(GameState::Playing, 0));
  // Focus, a resize, a released key and the mouse change nothing; the view
  // keeps pixels square.
  const auto before = snapshot(game);
  test::send(game, {sf::Event::FocusLost{}, sf::Event::Resized{{1000, 600}},
                    sf::Event::KeyReleased{Key::Escape},
                    sf::Event::MouseButtonPressed{sf::Mouse::Button::Left, {10, 20}},
                    sf::Event::MouseWheelScrolled{sf::Mouse::Wheel::Vertical, 1.f, {10, 20}}});
  EXPECT_TRUE(snapshot(game) == before);
  EXPECT_EQ(std::pair(game.window.getView().getSize(), game.window.getView().getCenter()),
            std::pair(sf::Vector2f(1000, 600), sf::Vector2f(500, 300)));
  // "AVSLUTT" closes the window; the rest of the burst is left unhandled.
  test::press(game, {Key::Escape, Key::Up, Key::Enter, Key::Escape});
  EXPECT_EQ(std::pair(game.window.isOpen(), game.state), std::pair(false, GameState::Paused));
}

// The last level's win menu; those of levels 1 and 2, and where they go, are
// pixel for pixel in the frames.
TEST_F(Rules, WonKeysInTheirThreeModesAndNameTyping) {
  test::win(game, test::digit(kLastLevel));
  // Name entry: of the keys only Escape acts; text goes to the name, but not
  // within the first 0.3 s.
  expectIgnored(game, {Key::Up, Key::Enter, Key::Space, Key::R, Key::M, Key::F11, Key::Num2});
  test::type(game, "ab\r");
  test::advance(game, 7);
  test::type(game, "Ola N\b");
  test::press(game, Key::Escape);
  test::type(game, "xyz");
  EXPECT_EQ(std::tuple(game.state, game.nameEntryActive, game.playerName),
            std::tuple(GameState::Won, false, "Ola "));
  // A result on screen: only Enter and Space act (the submission test presses Space),
  // and only to clear it.
  // The text event of Enter does not dismiss it: were it gone, the menu's
  // Up and Down would move the selection.
  game.resultReady = true;  // as the submission's hand-over leaves it
  test::type(game, "\r");
  expectIgnored(game, {Key::Up, Key::Down, Key::S, Key::Escape, Key::R, Key::M, Key::F11});
  test::press(game, Key::Enter);  // else the menu's first item below would not start
  // The menu (it wraps as the pause menu does): Escape, mute and full screen
  // do nothing; the first item plays the last level afresh. Nor does typing
  // reach the name while playing.
  expectIgnored(game, {Key::Escape, Key::M, Key::F11, Key::R, Key::Left, Key::Right, Key::Num3});
  // No "NESTE NIVÅ"; the other two items are level 1's too, in docs/win.png.
  const MenuItem& first = game.menuItems.at(0);
  EXPECT_EQ(std::tuple(game.menuItems.size(), first.label.toWideString(), first.primary),
            std::tuple(3u, L"SPILL NIVÅ 5 IGJEN", true));
  test::press(game, Key::Enter);
  test::type(game, "q");
  EXPECT_EQ(std::tuple(game.state, game.levelIndex, game.moves, game.playerName),
            std::tuple(GameState::Playing, kLastLevel, 0, "Ola "));
}

TEST_F(Rules, OnlyASlideAtRestOnTheGoalWinsTheClockStopsThereAndKeepsTheBestTime) {
  BestRecord record;  // its stored 0 must not win over a first time
  for (const float time : {12.5f, 9.25f, 13.f}) recordBestTime(record, time);
  EXPECT_EQ(std::pair(record.hasBest, record.bestTime), std::pair(true, 9.25f));
  test::press(game, Key::Num1);
  test::play(game, {Key::Right, Key::Down, Key::Left, Key::Down}, kFrame);
  test::press(game, Key::Right);
  test::advance(game, 2);
  EXPECT_EQ(game.state, GameState::Playing) << "a win before the slide came to rest";
  const float beforeTheWinningFrame = game.elapsedTime;
  test::advance(game, 10);  // the winning frame's time counts, then the clock stops
  EXPECT_EQ(std::tuple(game.state, game.moves, game.timerRunning, game.elapsedTime),
            std::tuple(GameState::Won, 5, false, beforeTheWinningFrame + kFrame));
  // Restarts never touch it ("SPILL NIVÅ 1 IGJEN", then "RESTART NIVÅ"); two
  // levels' own best times on the title are in the frames.
  test::press(game, {Key::Escape, Key::Down, Key::Enter, Key::Escape, Key::Down, Key::Enter});
  EXPECT_EQ(std::pair(game.bestRecords[0].hasBest, game.bestRecords[0].bestTime),
            std::pair(true, beforeTheWinningFrame + kFrame));
  EXPECT_EQ(formatTime(65.25f) + " " + formatTime(600.f), "1:05.25 10:00.00");
  EXPECT_EQ(formatTime(59.996f) + " " + formatTime(59.994f), "1:00.00 0:59.99");  // rounded
}
