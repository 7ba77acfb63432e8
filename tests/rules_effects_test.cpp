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

namespace {

// Level 5's size with every inner wall open, and one wall after the first
// cell of row 0 when asked: slides of 16 cells and of one cell.
Board openBoard(bool wallAfterFirstCell) {
  Board board(15, std::vector<Cell>(17, Cell{false, false}));
  for (auto& row : board) {
    row.back().eastWall = true;
  }
  for (Cell& cell : board.back()) {
    cell.southWall = true;
  }
  board[0][1].eastWall = wallAfterFirstCell;
  return board;
}

struct StrengthCase {
  bool shortSlide;
  int cells;
  float sparkStrength;
  float pitch;
  float volume;
};

}  // namespace

TEST(RulesAndEffects, SlideLengthSetsSparkAndSoundStrength) {
  // One cell: 1.1 and 0.68; sixteen cells: capped at 2.0 and 1.4.
  const StrengthCase cases[] = {{true, 1, 1.1f, 0.68f * 0.3f + 0.85f, 0.68f * 60.f},
                                {false, 16, 2.f, 1.4f * 0.3f + 0.85f, 1.4f * 60.f}};
  for (const StrengthCase& c : cases) {
    Game game;
    test::press(game, Key::Num5);
    game.board = openBoard(c.shortSlide);  // no level has a slide of ten cells or more
    gameSrand(21);
    test::press(game, Key::Right);
    ASSERT_EQ(game.targetCol, c.cells);
    // The same burst, thrown by hand from the same rand state.
    ImpactEffects expected;
    gameSrand(21);
    expected.spawnSparks(game.slideTo, game.tileSize, c.sparkStrength);
    ASSERT_EQ(game.effects.sparks.size(), expected.sparks.size()) << c.cells;
    EXPECT_EQ(game.effects.sparks.back().position, expected.sparks.back().position);
    ASSERT_TRUE(game.soundBank.voices[0].has_value());
    EXPECT_NEAR(game.soundBank.voices[0]->getPitch(), c.pitch, 1e-5f) << c.cells;
    EXPECT_NEAR(game.soundBank.voices[0]->getVolume(), c.volume, 1e-3f) << c.cells;
  }
}

TEST(RulesAndEffects, ConfettiFallsInEveryStateUntilALevelStarts) {
  Game game;
  test::press(game, Key::Num1);
  for (const Key key : {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    move(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_FALSE(game.particles.empty());
  const float y = game.particles.front().y;
  test::advance(game, 0.05f);
  EXPECT_EQ(game.particles.front().y, y + game.particles.front().vy);
  // "VELG NIVÅ": the title screen still shows it falling.
  test::send(game, {test::keyPress(Key::Escape), test::keyPress(Key::Up), test::keyPress(Key::Up),
                    test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Menu);
  ASSERT_FALSE(game.particles.empty());
  const Particle before = game.particles.front();
  test::advance(game, 0.05f);
  EXPECT_EQ(game.particles.front().x, before.x + before.vx);
  test::press(game, Key::Num2);
  EXPECT_TRUE(game.particles.empty());
}
