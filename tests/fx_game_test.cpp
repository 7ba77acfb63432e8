// What a move throws and plays in the running game, how long its marks last,
// where the confetti falls, and the synthesised move sounds with their pitch
// and volume. How effects and confetti are drawn is compared pixel by pixel
// with shape-by-shape drawing in render_batch_test.cpp.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "fx/Sound.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr float kFrame = 1.f / 60.f;

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
    // Level 5's size with every inner wall open, and a wall after the first
    // cell for the short slide: no level has a slide of ten cells or more.
    game.board = test::openBoard(15, 17);
    game.board[0][1].eastWall = c.shortSlide;
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

TEST(EffectScreens, ConfettiFallsOnTopOfTheWinPanelAndTheTitle) {
  Game game;
  probe::winLevel(game, Key::Num1);
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_EQ(game.particles.size(), 160u);
  EXPECT_TRUE(std::all_of(game.particles.begin(), game.particles.end(), [](const Particle& p) {
    return p.x >= 0.f && p.x <= 1280.f && p.y <= -20.f && p.y >= -220.f;
  })) << "across the window's width, 20 to 220 pixels above it";
  // Over the win panels: render_batch_test.cpp. Back to the title ("VELG
  // NIVÅ"), one rectangle keeps falling over the title panel.
  const sf::Color violet(108, 92, 231);
  game.particles = {
      Particle{.x = 640, .y = 360, .vy = 1, .width = 40, .height = 30, .colour = violet}};
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Menu);
  test::advance(game, kFrame);
  ASSERT_EQ(game.particles.size(), 1u);
  EXPECT_EQ(game.particles[0].y, 361.f);
  const sf::Image title = test::capture(game, "confetti-over-title");
  EXPECT_TRUE(test::colourNear(title, 640, 361, violet));
}

TEST(SoundBank, FourFixedVoicesBuiltBeforeSeedingFromTheClock) {
  const std::vector<int> draws = test::randDraws(1, 2426);  // leaves the seed at 1
  const std::vector<std::int16_t> samples = makeMoveSamples(900.f, 0.85f);
  ASSERT_EQ(samples.size(), 3087u);
  EXPECT_EQ(gameRand(), draws[2425]) << "one sound draws exactly 2425 values";
  // The four voices, in order from the unseeded generator.
  gameSrand(1);
  std::vector<std::vector<std::int16_t>> expected;
  for (const float frequency : {900.f, 1050.f, 820.f, 1150.f}) {
    expected.push_back(makeMoveSamples(frequency, 0.85f));
  }
  // Sample 0 is noise alone, (2 * 41 / 32767 - 1) * 0.85 * 0.28 * 32767: the
  // tone's sine starts at phase 0. The end is silent.
  EXPECT_EQ(samples[0], -7779);
  EXPECT_TRUE(
      std::all_of(samples.begin() + 2425, samples.end(), [](std::int16_t s) { return s == 0; }));

  gameSrand(1);  // as at program start
  const Game game;
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const sf::SoundBuffer& buffer = game.soundBank.buffers[i];
    EXPECT_EQ(buffer.getChannelCount(), 1u);
    EXPECT_EQ(buffer.getSampleRate(), 44100u);
    EXPECT_EQ(std::vector<std::int16_t>(buffer.getSamples(),
                                        buffer.getSamples() + buffer.getSampleCount()),
              expected[i]);
    ASSERT_TRUE(game.soundBank.voices[i].has_value());
    EXPECT_EQ(&game.soundBank.voices[i]->getBuffer(), &buffer);
    EXPECT_FLOAT_EQ(game.soundBank.voices[i]->getVolume(), 60.f);
  }
  EXPECT_TRUE(game.soundBank.enabled);
  EXPECT_EQ(game.soundBank.nextVoice, 0);
}
