// The rules of play through the game's own event handler: levels, moves and
// slides, every screen's keys, name typing, the menus, best times.
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

auto cell(const Game& game) { return std::pair(game.playerRow, game.playerCol); }

class Rules : public ::testing::Test {
 protected:
  Game game;
};

}  // namespace

TEST_F(Rules, EveryLevelStartsAfresh) {
  const sf::Vector2f boardOffsets[] = {{352, 164}, {332, 136}, {328, 124}, {325, 115}, {334, 118}};
  for (int i = 0; i < kLevelCount; ++i) {
    test::press(game, digit(i));
    ASSERT_EQ(game.state, GameState::Playing);
    EXPECT_EQ(game.levelIndex, i);
    EXPECT_EQ(game.boardOffset, boardOffsets[i]);
    // Levels 1 to 4 are the fixed mazes whatever the clock; level 5 can always be won.
    EXPECT_TRUE(i == kLastLevel || game.board == generateLevelBoard(i, 0));
    EXPECT_FALSE(test::solution(game).empty());
    EXPECT_EQ(std::tuple(cell(game), game.moves, game.timerRunning),
              std::tuple(std::pair(0, 0), 0, true));
    test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});  // "VELG NIVÅ"
    ASSERT_EQ(game.state, GameState::Menu);
  }
}

TEST_F(Rules, StartingALevelClearsTheLastAttempt) {
  test::press(game, {Key::Num2, Key::Right});
  test::advance(game);                   // R in the middle of a slide
  game.particles.push_back(Particle{});  // confetti still falling from a win
  ASSERT_FALSE(game.effects.sparks.empty());
  test::press(game, Key::R);
  EXPECT_EQ(std::tuple(game.state, game.levelIndex, game.sliding, game.moves),
            std::tuple(GameState::Playing, 1, false, 0));
  EXPECT_EQ(std::tuple(game.elapsedTime, game.slideProgress, game.idlePhase),
            std::tuple(0.f, 0.f, 0.f));
  EXPECT_TRUE(game.trail.empty() && game.particles.empty() && game.effects.sparks.empty() &&
              game.effects.cracks.empty());
  test::advance(game, 3);
  EXPECT_EQ(game.playerCol, 0) << "the slide is discarded";
  // "RESTART NIVÅ" during a slide restarts at once, as R does.
  test::press(game, {Key::Right, Key::Escape, Key::Down, Key::Space});
  EXPECT_EQ(std::tuple(game.state, game.sliding, game.moves),
            std::tuple(GameState::Playing, false, 0));
}

TEST_F(Rules, ABlockedMoveChangesNothingAndDrawsNoRandomNumber) {
  test::press(game, Key::Num1);
  const int firstDraw = test::randDraws(99, 1)[0];
  // Level 1's start has the edge above and to the left and a wall below.
  test::press(game, {Key::Up, Key::Left, Key::Down, Key::W, Key::A, Key::S});
  EXPECT_EQ(std::tuple(game.moves, game.sliding, game.soundBank.nextVoice),
            std::tuple(0, false, 0));
  EXPECT_TRUE(game.trail.empty() && game.effects.sparks.empty() && game.effects.cracks.empty());
  EXPECT_EQ(gameRand(), firstDraw);
}

// The figure's easing along a slide is pixel for pixel in docs/level.png.
TEST_F(Rules, ASlideIsOneMoveThatLeavesATrail) {
  test::press(game, {Key::Num1, Key::D});
  EXPECT_TRUE(game.sliding);
  EXPECT_EQ(std::tuple(game.moves, game.targetRow, game.targetCol, game.playerCol),
            std::tuple(1, 0, 3, 0))
      << "the figure keeps its cell until the slide is over";
  EXPECT_EQ(game.slideTo, sf::Vector2f(576, 196));
  EXPECT_EQ(game.trail, (std::vector<GridCell>{{0, 0}, {0, 1}, {0, 2}}));
  test::advance(game);
  test::press(game, Key::A);  // dropped, not queued
  test::advance(game, 2);
  EXPECT_FALSE(game.sliding);
  EXPECT_EQ(game.playerPosition(), sf::Vector2f(576, 196));
  test::advance(game, 4);
  EXPECT_EQ(std::tuple(cell(game), game.moves), std::tuple(std::pair(0, 3), 1));
  // The letters move like the arrows.
  for (const auto& [key, row, column] :
       {std::tuple{Key::S, 5, 3}, {Key::W, 0, 3}, {Key::A, 0, 0}}) {
    test::move(game, key);
    EXPECT_EQ(cell(game), std::pair(row, column));
  }
  // Back and forth: the trail keeps the newest 24 cells.
  for (int i = 0; i < 3; ++i) {
    test::move(game, Key::Right);
    test::move(game, Key::Left);
  }
  ASSERT_EQ(game.trail.size(), 24u);  // of 34 cells left
  EXPECT_EQ(game.trail.front(), (GridCell{3, 3}));
  EXPECT_EQ(game.trail.back(), (GridCell{0, 1}));
}

TEST_F(Rules, OnlyASlideThatComesToRestOnTheGoalWins) {
  test::press(game, Key::Num1);
  game.playerRow = 6;  // no key puts the figure there without a slide
  game.playerCol = 8;
  test::advance(game, 5);
  EXPECT_EQ(game.state, GameState::Playing);
  test::press(game, Key::R);
  test::play(game, {Key::Right, Key::Down, Key::Left, Key::Down}, kFrame);
  test::press(game, Key::Right);
  EXPECT_EQ(std::pair(game.targetRow, game.targetCol), std::pair(6, 8));
  test::advance(game, 2);
  EXPECT_EQ(game.state, GameState::Playing);
  test::advance(game);
  EXPECT_EQ(std::tuple(game.state, game.moves, game.timerRunning, cell(game)),
            std::tuple(GameState::Won, 5, false, std::pair(6, 8)));
}

TEST_F(Rules, TheTimerRunsFromTheStartOnlyWhilePlaying) {
  test::advance(game, 4);
  EXPECT_EQ(game.elapsedTime, 0.f);
  test::press(game, Key::Num1);
  float expected = 0.f;
  for (int i = 0; i < 4; ++i, expected += kFrame) test::advance(game);
  EXPECT_EQ(game.elapsedTime, expected);  // no move made yet
  test::press(game, Key::Escape);
  test::advance(game, 10);
  EXPECT_EQ(game.elapsedTime, expected);
  test::press(game, Key::Escape);
  test::advance(game, 1, 0.02f);
  expected += 0.02f;
  // Through the win: the winning frame's time counts, then the clock stops.
  for (const Key key : test::solution(game)) {
    test::press(game, key);
    for (int i = 0; i < 3; ++i, expected += kFrame) test::advance(game);
  }
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.elapsedTime, expected);
  test::advance(game, 10);
  EXPECT_EQ(game.elapsedTime, expected);
}

TEST_F(Rules, ASlideWaitsWhilePaused) {
  test::press(game, {Key::Num2, Key::Right});
  const int end = game.targetCol;
  ASSERT_GT(end, 0);
  test::advance(game);
  test::press(game, Key::Escape);
  test::advance(game, 20);
  EXPECT_EQ(std::tuple(game.sliding, game.slideElapsed, game.playerCol),
            std::tuple(true, kFrame, 0));
  test::press(game, Key::Enter);  // "FORTSETT" resumes like Escape does
  ASSERT_EQ(game.state, GameState::Playing);
  test::advance(game, 2);
  EXPECT_EQ(std::pair(game.sliding, game.playerCol), std::pair(false, end));
}

TEST_F(Rules, TitleScreenKeys) {
  test::press(game, Key::Up);
  EXPECT_EQ(game.menuSelection, 4);  // level 1 wraps to level 5
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 0);
  test::press(game, {Key::W, Key::S, Key::S, Key::Down});
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
  ASSERT_EQ(game.state, GameState::Paused);
  EXPECT_FALSE(game.timerRunning);
  EXPECT_EQ(menu(game), (Menu{{L"FORTSETT", true},
                              {L"RESTART NIVÅ", false},
                              {L"VELG NIVÅ", false},
                              {L"AVSLUTT", false}}));
  EXPECT_EQ(game.menuSelection, 0);
  expectIgnored(game, {Key::Left, Key::Right, Key::A, Key::D, Key::R, Key::M, Key::F11, Key::Num1,
                       Key::Num5});
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
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Paused);
}

TEST_F(Rules, WonKeysInTheirThreeModesAndNameTyping) {
  test::win(game, Key::Num1);
  // Name entry: of the keys only Escape acts; text goes to the name, but not
  // within the first 0.3 s.
  ASSERT_TRUE(game.nameEntryActive);
  expectIgnored(game,
                {Key::Up, Key::Down, Key::Enter, Key::Space, Key::R, Key::M, Key::F11, Key::Num2});
  test::type(game, "ab\r");
  EXPECT_EQ(std::pair(game.playerName, game.nameEntryActive), std::pair(std::string(), true));
  test::advance(game, 7);
  test::type(game, "Ola N\b");
  EXPECT_EQ(game.playerName, "Ola ");
  // Outside 32 to 126: dropped, "å" included; beyond 16 bytes: dropped.
  for (const char32_t code : {U'å', U'\x7f', U'\t', U'\x1b', U'\x263a'}) {
    test::send(game, {sf::Event::TextEntered{code}});
  }
  test::type(game, "~0123456789ABCDEF");
  EXPECT_EQ(game.playerName, "Ola ~0123456789A");
  test::type(game, std::string(20, '\b') + "Kari");
  EXPECT_EQ(game.playerName, "Kari");
  test::press(game, Key::Escape);
  EXPECT_EQ(std::pair(game.state, game.nameEntryActive), std::pair(GameState::Won, false));
  test::type(game, "xyz");
  EXPECT_EQ(game.playerName, "Kari");

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

TEST_F(Rules, OtherEventsAreIgnoredAResizeKeepsPixelsSquareAndACloseEndsTheDrain) {
  test::press(game, Key::Num1);
  const sf::Vector2f offset = game.boardOffset;
  const auto before = snapshot(game);
  test::send(game, {sf::Event::FocusLost{}, sf::Event::Resized{{1000, 600}},
                    sf::Event::KeyReleased{Key::Escape, sf::Keyboard::Scancode::Escape, false,
                                           false, false, false}});
  EXPECT_TRUE(snapshot(game) == before);
  EXPECT_EQ(game.boardOffset, offset);
  EXPECT_EQ(game.window.getView().getSize(), sf::Vector2f(1000, 600));
  EXPECT_EQ(game.window.getView().getCenter(), sf::Vector2f(500, 300));
  test::send(game, {test::keyPress(Key::Escape), sf::Event::Closed{}, test::keyPress(Key::Enter)});
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Paused) << "the Enter after the close is not handled";
  game.update(0.016f);
  game.render();
}

TEST(WinMenu, ItemsAndWhereTheFirstGoes) {
  // The first item goes on to the next level ("NESTE NIVÅ  LEVEL 2" ...), on
  // level 5 to the same one afresh.
  Game game;
  test::press(game, Key::Num1);
  for (int level = 1; level <= kLevelCount; ++level) {
    test::play(game, test::solution(game), kFrame);
    ASSERT_EQ(game.state, GameState::Won) << level;
    const std::wstring again = L"SPILL NIVÅ " + std::to_wstring(level) + L" IGJEN";
    Menu items{{again, level == kLevelCount}, {L"VELG NIVÅ", false}, {L"AVSLUTT", false}};
    if (level < kLevelCount) {
      items.insert(items.begin(), {L"NESTE NIVÅ  LEVEL " + std::to_wstring(level + 1), true});
    }
    EXPECT_EQ(menu(game), items);
    EXPECT_EQ(std::tuple(game.menuSelection, game.nameEntryActive, game.resultReady),
              std::tuple(0, true, false));
    test::press(game, {Key::Escape, Key::Up});
    EXPECT_EQ(game.menuSelection, static_cast<int>(game.menuItems.size()) - 1);  // "AVSLUTT"
    test::press(game, {Key::Down, Key::Enter});
    EXPECT_EQ(std::pair(game.state, game.levelIndex),
              std::pair(GameState::Playing, std::min(level, kLastLevel)));
  }
}

TEST_F(Rules, BestTimes) {
  BestRecord record;  // its stored 0 must not win over a first time
  for (const auto& [time, best] :
       {std::pair{12.5f, 12.5f}, {13.f, 12.5f}, {12.5f, 12.5f}, {9.25f, 9.25f}}) {
    recordBestTime(record, time);
    EXPECT_EQ(std::pair(record.hasBest, record.bestTime), std::pair(true, best)) << time;
  }
  test::win(game, Key::Num1);
  const float first = game.elapsedTime;
  EXPECT_EQ(std::pair(game.bestRecords[0].hasBest, game.bestRecords[0].bestTime),
            std::pair(true, first));
  // Restarts never touch it ("SPILL NIVÅ 1 IGJEN", then "RESTART NIVÅ"), and
  // other levels keep their own.
  test::press(game, {Key::Escape, Key::Down, Key::Enter, Key::Escape, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Playing);
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  test::win(game, Key::Num2);
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(std::pair(game.bestRecords[0].bestTime, game.bestRecords[1].bestTime),
            std::pair(first, game.elapsedTime));
  EXPECT_FALSE(game.bestRecords[2].hasBest);
}

TEST(FormatTime, MinutesColonSecondsRoundedToHundredths) {
  for (const auto& [seconds, text] : {std::pair{65.25f, "1:05.25"},
                                      {600.f, "10:00.00"},
                                      {59.996f, "1:00.00"},
                                      {59.994f, "0:59.99"}}) {
    EXPECT_EQ(formatTime(seconds), text) << seconds;
  }
}
