// The Enter that submits a name on the win screen.
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

TEST(NameSubmission, EnterSubmitsTheNameWithoutChoosingAMenuItem) {
  Game game;
  test::press(game, Key::Num1);
  for (const Key key : {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    move(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  test::advance(game, 0.05f, 7);
  test::type(game, "Ola");
  // One Enter key arrives as a key press and then a text event.
  test::send(game, {test::keyPress(Key::Enter), test::textEntered(13)});
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.levelIndex, 0);
  EXPECT_EQ(game.playerName, "Ola");
}

TEST(NameSubmission, EnterWithinTheCooldownDoesNotSubmit) {
  Game game;
  test::press(game, Key::Num1);
  for (const Key key : {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    move(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  test::send(game, {test::textEntered(13)});
  EXPECT_TRUE(game.nameEntryActive);
  test::advance(game, 0.05f, 7);
  test::send(game, {test::textEntered(13)});
  EXPECT_FALSE(game.nameEntryActive);
}
