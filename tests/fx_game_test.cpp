// What a move throws and plays in the running game, how long its marks last,
// and how the effects and the confetti are drawn, alone and in the frame.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr float kFrame = 1.f / 60.f;

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

const sf::Color kCrackColour{168, 216, 248};
const sf::Color kBlack{0, 0, 0};

sf::Image drawEffects(const ImpactEffects& effects, float tile, sf::Vector2f offset) {
  sf::RenderTexture target({256, 256});
  target.clear(kBlack);
  effects.draw(target, tile, offset);
  target.display();
  return target.getTexture().copyToImage();
}

// Whether any pixel within one pixel of (x, y) has the colour.
bool litNear(const sf::Image& image, sf::Vector2f at, sf::Color colour) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (test::colourNear(image, static_cast<unsigned>(std::lround(at.x) + dx),
                           static_cast<unsigned>(std::lround(at.y) + dy), colour)) {
        return true;
      }
    }
  }
  return false;
}

// A point `distance` pixels out along arm i of the straight six-arm star.
sf::Vector2f alongArm(sf::Vector2f centre, int arm, float distance) {
  const float direction = -0.36f + static_cast<float>(arm) * 6.28318f / 6.f;
  return {centre.x + std::cos(direction) * distance, centre.y + std::sin(direction) * distance};
}

CrackMark straightStar(int row, int column, float alpha) {
  return CrackMark{
      .row = row, .column = column, .alpha = alpha, .strips = makeCrackPattern(6, 0.f)};
}

}  // namespace

TEST(MoveSound, VoicesRotateAndMKeepsTheRotation) {
  Game game;
  test::press(game, Key::Num1);
  std::vector<int> used;
  for (const Key key : probe::kLevelOneSolution) {
    used.push_back(game.soundBank.nextVoice);
    test::move(game, key);
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(game.soundBank.nextVoice, 1);

  // Muted moves touch no voice and keep the rotation, but still spark and crack.
  Game muted;
  test::press(muted, Key::Num1);
  test::press(muted, Key::M);
  EXPECT_FALSE(muted.soundBank.enabled);
  test::press(muted, Key::Right);
  EXPECT_EQ(muted.moves, 1);
  EXPECT_EQ(muted.soundBank.nextVoice, 0);
  EXPECT_EQ(muted.soundBank.voices[0]->getPitch(), 1.f);
  EXPECT_FLOAT_EQ(muted.soundBank.voices[0]->getVolume(), 60.f);
  EXPECT_FALSE(muted.effects.sparks.empty());
  EXPECT_EQ(muted.effects.cracks.size(), 1u);
  test::advance(muted, 0.05f, 3);
  test::press(muted, Key::M);
  test::move(muted, Key::Down);
  EXPECT_EQ(muted.soundBank.nextVoice, 1);
  EXPECT_NE(muted.soundBank.voices[0]->getPitch(), 1.f);
  // Starting the level again keeps both the switch and the rotation.
  test::press(muted, Key::M);
  test::press(muted, Key::R);
  EXPECT_FALSE(muted.soundBank.enabled);
  EXPECT_EQ(muted.soundBank.nextVoice, 1);
}

TEST(MoveEffects, SlideLengthSetsSparkAndSoundStrength) {
  struct Case {
    bool shortSlide;
    int cells;
    float sparkStrength, pitch, volume;
  };
  // One cell: strengths 1.1 and 0.68; sixteen cells: capped at 2.0 and 1.4.
  const Case cases[] = {{true, 1, 1.1f, 1.054f, 40.8f}, {false, 16, 2.f, 1.27f, 84.f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cells);
    Game game;
    test::press(game, Key::Num5);
    game.board = openBoard(c.shortSlide);  // no level has a slide of ten cells or more
    gameSrand(21);
    test::press(game, Key::Right);
    ASSERT_EQ(game.targetCol, c.cells);
    // The same burst, thrown by hand at the end cell from the same rand state.
    ImpactEffects expected;
    gameSrand(21);
    expected.spawnSparks({334.f + 36.f * static_cast<float>(c.cells) + 18.f, 136.f}, 36.f,
                         c.sparkStrength);
    ASSERT_EQ(game.effects.sparks.size(), expected.sparks.size());
    EXPECT_EQ(game.effects.sparks.back().position, expected.sparks.back().position);
    ASSERT_EQ(game.effects.cracks.size(), 1u);
    EXPECT_EQ(game.effects.cracks[0].row, 0);
    EXPECT_EQ(game.effects.cracks[0].column, c.cells);
    EXPECT_NEAR(game.soundBank.voices[0]->getPitch(), c.pitch, 1e-5f);
    EXPECT_NEAR(game.soundBank.voices[0]->getVolume(), c.volume, 1e-3f);
  }
}

TEST(MoveEffects, CrackLivesFortySixPlayingFramesAndFreezesWhilePausedOrWon) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, kFrame, 45);
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].alpha, 5.f);

  test::press(game, Key::Escape);
  const ImpactEffects before = game.effects;
  test::advance(game, kFrame, 30);
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].alpha, 5.f);
  ASSERT_EQ(game.effects.sparks.size(), before.sparks.size());
  for (std::size_t i = 0; i < before.sparks.size(); ++i) {
    EXPECT_EQ(game.effects.sparks[i].position, before.sparks[i].position);
    EXPECT_EQ(game.effects.sparks[i].alpha, before.sparks[i].alpha);
  }
  test::press(game, Key::Escape);
  test::advance(game, kFrame);
  EXPECT_TRUE(game.effects.cracks.empty());

  // The winning move's marks stay as they were on the win screen.
  probe::play(game, {Key::Down, Key::Left, Key::Down, Key::Right});
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_FALSE(game.effects.cracks.empty());
  const float frozen = game.effects.cracks.back().alpha;
  const std::size_t sparks = game.effects.sparks.size();
  test::advance(game, kFrame, 60);
  EXPECT_EQ(game.effects.cracks.back().alpha, frozen);
  EXPECT_EQ(game.effects.sparks.size(), sparks);
}

TEST(EffectDrawing, CrackStripsScaleWithTheTile) {
  for (const float tile : {64.f, 36.f}) {
    SCOPED_TRACE(tile);
    ImpactEffects effects;
    effects.cracks.push_back(straightStar(1, 2, 255.f));
    const sf::Vector2f offset{20.f, 10.f};
    const sf::Image image = drawEffects(effects, tile, offset);
    const sf::Vector2f centre{offset.x + 2.f * tile + tile / 2.f, offset.y + tile + tile / 2.f};
    const float armLength = 0.25f * tile;  // 16 pixels on level 1, 9 on level 5
    for (int arm = 0; arm < 6; ++arm) {
      SCOPED_TRACE(arm);
      EXPECT_TRUE(litNear(image, alongArm(centre, arm, armLength * 0.5f), kCrackColour));
      EXPECT_TRUE(litNear(image, alongArm(centre, arm, armLength - 1.5f), kCrackColour));
      EXPECT_FALSE(litNear(image, alongArm(centre, arm, armLength + 4.f), kCrackColour));
    }
  }
}

TEST(EffectDrawing, AlphaIsClampedAndTruncatedAndSparksLieOverCracks) {
  ImpactEffects effects;
  effects.cracks.push_back(straightStar(0, 0, 127.9f));
  const auto spark = [](sf::Vector2f at, float alpha, sf::Color colour) {
    return Spark{.position = at, .radius = 4.f, .alpha = alpha, .colour = colour};
  };
  // Added before the crack, still drawn over it.
  const sf::Vector2f onArm = alongArm({32.f, 32.f}, 3, 10.f);
  effects.sparks = {spark(onArm, 255.f, {255, 255, 255}), spark({100, 50}, 300.f, {55, 138, 221}),
                    spark({150, 50}, -4.f, {255, 255, 255}),
                    spark({200, 50}, 127.9f, {255, 255, 255})};
  const sf::Image image = drawEffects(effects, 64.f, {0.f, 0.f});
  const sf::Color half = test::blend(kBlack, sf::Color(168, 216, 248, 127));
  EXPECT_TRUE(litNear(image, alongArm({32.f, 32.f}, 0, 8.f), half));
  EXPECT_FALSE(litNear(image, alongArm({32.f, 32.f}, 0, 8.f), kCrackColour));
  EXPECT_TRUE(test::colourNear(image, static_cast<unsigned>(onArm.x),
                               static_cast<unsigned>(onArm.y), {255, 255, 255}));
  EXPECT_TRUE(test::colourNear(image, 100, 50, {55, 138, 221}));
  EXPECT_TRUE(test::colourNear(image, 150, 50, kBlack));
  EXPECT_TRUE(test::colourNear(image, 200, 50, test::blend(kBlack, {255, 255, 255, 127})));
  // The circle is centred on the spark's position with the spark's radius.
  EXPECT_TRUE(test::colourNear(image, 102, 50, {55, 138, 221}));
  EXPECT_TRUE(test::colourNear(image, 106, 50, kBlack));
}

TEST(EffectDrawing, ConfettiTurnsAboutItsCentre) {
  Game game;
  game.particles = {Particle{.x = 100.f,
                             .y = 100.f,
                             .width = 20.f,
                             .height = 8.f,
                             .rotation = 90.f,
                             .alpha = 255.f,
                             .colour = {240, 160, 48}},
                    Particle{.x = 200.f,
                             .y = 100.f,
                             .width = 20.f,
                             .height = 8.f,
                             .alpha = 127.9f,
                             .colour = {255, 255, 255}}};
  game.window.clear(kBlack);
  game.drawConfetti();
  const sf::Image image = test::grab(game.window);
  // Turned upright: 8 wide, 20 high around (100, 100).
  EXPECT_TRUE(test::colourNear(image, 100, 108, {240, 160, 48}));
  EXPECT_TRUE(test::colourNear(image, 100, 92, {240, 160, 48}));
  EXPECT_TRUE(test::colourNear(image, 108, 100, kBlack));
  EXPECT_TRUE(test::colourNear(image, 92, 100, kBlack));
  EXPECT_TRUE(test::colourNear(image, 208, 101, test::blend(kBlack, {255, 255, 255, 127})));
  EXPECT_TRUE(test::colourNear(image, 200, 106, kBlack));
}

TEST(EffectScreens, EffectsLieOverTheTrailAndUnderWallsAndFigure) {
  Game game;
  test::press(game, Key::Num1);
  test::move(game, Key::Right);  // trail on (0, 0) to (0, 2), figure on (0, 3) at (576, 196)
  game.effects.clear();
  const sf::Image bare = test::capture(game);
  const auto white = [](sf::Vector2f at, float radius) {
    return Spark{.position = at, .radius = radius, .alpha = 255.f, .colour = {255, 255, 255}};
  };
  // On trail cell (0, 1); across the wall east of (2, 0) at x = 416; on the body.
  game.effects.sparks = {white({448, 196}, 6), white({416, 324}, 5), white({588, 196}, 4)};
  game.effects.cracks = {
      CrackMark{.row = 3, .column = 4, .alpha = 255.f, .strips = makeCrackPattern(6, 0.f)}};
  const sf::Image shot = test::capture(game, "effects-on-board");
  EXPECT_TRUE(test::colourNear(shot, 448, 196, sf::Color::White));
  EXPECT_TRUE(test::colourNear(shot, 588, 196, sf::Color(55, 138, 221)));
  const unsigned wallX = test::colourNear(bare, 416, 324, {26, 58, 92}) ? 416 : 415;
  EXPECT_TRUE(test::colourNear(shot, wallX, 324, {26, 58, 92}));
  EXPECT_TRUE(test::colourNear(shot, wallX + (wallX == 416 ? 2 : -2), 324, sf::Color::White));
  // The crack on cell (3, 4), centre (640, 388).
  EXPECT_TRUE(litNear(shot, alongArm({640.f, 388.f}, 0, 8.f), kCrackColour));
}

TEST(EffectScreens, ConfettiFallsOnTopOfTheWinPanelAndTheTitle) {
  Game game;
  probe::winLevel(game, Key::Num1);
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_EQ(game.particles.size(), 160u);
  for (const Particle& p : game.particles) {
    EXPECT_GE(p.x, 0.f);
    EXPECT_LE(p.x, 1280.f);
    EXPECT_LE(p.y, -20.f);
    EXPECT_GE(p.y, -220.f);
  }
  // A second burst replaces what still falls.
  test::advance(game, kFrame, 10);
  game.spawnConfetti();
  ASSERT_EQ(game.particles.size(), 160u);
  EXPECT_TRUE(std::all_of(game.particles.begin(), game.particles.end(),
                          [](const Particle& p) { return p.y <= -20.f; }));

  // One rectangle in the middle of the window, over the win and name panels.
  const sf::Color violet(108, 92, 231);
  game.particles = {
      Particle{.x = 640, .y = 360, .vy = 1, .width = 40, .height = 30, .colour = violet}};
  const sf::Image won = test::capture(game, "confetti-over-win-panel");
  EXPECT_TRUE(test::colourNear(won, 640, 360, violet));
  // Back to the title ("VELG NIVÅ"): it keeps falling over the title panel.
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Menu);
  test::advance(game, kFrame);
  ASSERT_EQ(game.particles.size(), 1u);
  EXPECT_EQ(game.particles[0].y, 361.f);
  const sf::Image title = test::capture(game, "confetti-over-title");
  EXPECT_TRUE(test::colourNear(title, 640, 361, violet));
}
