// The status bar follows the play: the update refreshes it every frame and a
// win refreshes it with the new best time.
#include <gtest/gtest.h>

#include "app/Game.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

void move(Game& game, Key key) {
  test::press(game, key);
  test::advance(game, 0.05f, 3);
}

}  // namespace

TEST(RulesAndStatusBar, UpdateAndWinRefreshTheStatusBar) {
  Game game;
  test::press(game, Key::Num1);
  move(game, Key::Right);
  test::advance(game, 0.05f, 20);
  EXPECT_EQ(game.hud->movesText, "1");
  EXPECT_EQ(game.hud->levelText, "LEVEL 1");
  EXPECT_EQ(game.hud->timeText, formatTime(game.elapsedTime));
  EXPECT_EQ(game.hud->bestText, "--:--");
  for (const Key key : {Key::Left, Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    move(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.hud->movesText, "7");
  EXPECT_EQ(game.hud->timeText, formatTime(game.elapsedTime));
  EXPECT_EQ(game.hud->bestText, formatTime(game.elapsedTime));
  // Frozen outside play.
  const std::string time = game.hud->timeText;
  test::advance(game, 0.05f, 40);
  EXPECT_EQ(game.hud->timeText, time);
}
