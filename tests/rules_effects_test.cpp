// Where the rules meet the effects and the sounds: what a move throws and
// plays, and what a level start sweeps away.
#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

void move(Game& game, Key key) {
  test::press(game, key);
  test::advance(game, 0.05f, 3);
}

}  // namespace

TEST(RulesAndEffects, AMoveThrowsSparksCracksAndPlaysTheNextVoice) {
  Game game;
  test::press(game, Key::Num1);
  ASSERT_TRUE(game.soundBank.enabled);
  gameSrand(5);
  const int firstDraw = gameRand();
  gameSrand(5);
  test::press(game, Key::Right);
  EXPECT_FALSE(game.effects.sparks.empty());
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].row, 0);
  EXPECT_EQ(game.effects.cracks[0].column, 3);
  EXPECT_EQ(game.soundBank.nextVoice, 1);
  // The sparks and the crack drew from rand; a blocked move draws nothing.
  EXPECT_NE(gameRand(), firstDraw);
  test::advance(game, 0.05f, 3);
  gameSrand(5);
  test::press(game, Key::Up);
  EXPECT_EQ(gameRand(), firstDraw);
  EXPECT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.soundBank.nextVoice, 1);
}

TEST(RulesAndEffects, MutedMovesStillSparkAndCrack) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::M);
  test::press(game, Key::Right);
  EXPECT_FALSE(game.effects.sparks.empty());
  EXPECT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.soundBank.nextVoice, 0);
}

TEST(RulesAndEffects, StartingALevelSweepsTheEffectsAway) {
  Game game;
  test::press(game, Key::Num1);
  move(game, Key::Right);
  ASSERT_FALSE(game.effects.cracks.empty());
  test::press(game, Key::R);
  EXPECT_TRUE(game.effects.sparks.empty());
  EXPECT_TRUE(game.effects.cracks.empty());
  EXPECT_TRUE(game.trail.empty());
}
