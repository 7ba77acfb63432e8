// The rules of the effects' fading, what a move throws and plays in the
// running game, and the synthesised sounds. How many sparks, crack arms and
// confetti a burst throws, with how many random draws each, where they go and
// how they move is pixel for pixel in the pictures of render_frames.cpp, all
// drawn from one seed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/Effects.h"
#include "fx/GameRandom.h"
#include "fx/Sound.h"
#include "support/TestSupport.h"

using Key = sf::Keyboard::Key;

const int kFirstDrawOfProcess = gameRand();  // before main, so before any test draws

TEST(ImpactEffects, FadedOnesGoAtZeroAndTheRestKeepTheirOrder) {
  ImpactEffects effects;
  for (const float a : {8.f, 50.f, 3.f, 4.f, 60.f})
    effects.sparks.push_back({.radius = a, .alpha = a, .fadeRate = 4.f});
  effects.cracks = {CrackMark{.row = 1, .alpha = 10.f}, CrackMark{.row = 2, .alpha = 4.f},
                    CrackMark{.row = 3}};
  effects.update();  // sparks 4, 46, -1, 0, 56; cracks 5, -1, 225
  ASSERT_EQ(std::pair(effects.sparks.size(), effects.cracks.size()), std::pair(3u, 2u));
  EXPECT_EQ(std::tuple(effects.sparks[2].radius, effects.cracks[1].row, effects.cracks[1].alpha),
            std::tuple(60.f * 0.997f, 3, 225.f));
  effects.update();  // the first spark and crack reach exactly 0
  EXPECT_EQ(std::pair(effects.sparks.size(), effects.cracks.size()), std::pair(2u, 1u));
  // Confetti moves per frame, fades in the lowest quarter of the window and
  // goes once past its height plus 20.
  std::vector<Particle> confetti{Particle{.y = 800.f, .vy = 5.f, .alpha = 255.f},
                                 Particle{.y = 1095.f, .vy = 5.f, .alpha = 255.f},
                                 Particle{.y = 806.f, .vy = 5.f, .alpha = 191.f}};
  updateConfetti(confetti, 0.5f, 1080.f);  // alpha - 191.25 where it fades
  EXPECT_EQ(std::tuple(confetti.size(), confetti.at(0).y, confetti.at(0).alpha, confetti.at(1).y,
                       confetti.at(1).alpha),
            std::tuple(2u, 805.f, 255.f, 1100.f, 63.75f));
}

// The level's five moves go through the four voices: the next is 1. The
// marks stand still outside play: once won here, while paused with the slide
// and the clock (rules_test.cpp), which stop at the same place.
TEST(MoveEffects, MarksFadeOnlyWhilePlayingAndMKeepsTheVoicesButNotTheSparks) {
  Game game;
  test::win(game, Key::Num1);  // the winning move's marks stay
  const ImpactEffects won = game.effects;
  ASSERT_EQ(std::tuple(game.state, won.cracks.empty(), game.soundBank.nextVoice),
            std::tuple(GameState::Won, false, 1));
  test::advance(game, 60);
  EXPECT_EQ(game.effects, won);
  // Muted moves touch no voice and keep the rotation, but still spark and crack.
  test::press(game, {Key::Escape, Key::Down, Key::Enter, Key::M, Key::Right});
  EXPECT_EQ(std::tuple(game.soundBank.enabled, game.moves, game.soundBank.nextVoice,
                       game.effects.sparks.empty(), game.effects.cracks.size()),
            std::tuple(false, 1, 1, false, 1u));
  test::press(game, Key::R);  // starting the level again keeps both
  EXPECT_EQ(std::pair(game.soundBank.enabled, game.soundBank.nextVoice), std::pair(false, 1));
}

// One sound draws 2425 values; sample 0 is noise alone (the tone starts at
// phase 0). The bank's four voices come, in order, from
// the unseeded generator, before the clock seeds it.
TEST(SoundBank, FourVoicesBuiltBeforeSeedingFromTheClock) {
  EXPECT_EQ(kFirstDrawOfProcess, 41);  // unseeded as after srand(1)
  gameSrand(1);
  const Game game;
  gameSrand(1);
  for (std::size_t i = 0; i < 4; ++i) {
    const sf::SoundBuffer& buffer = game.soundBank.buffers[i];
    EXPECT_EQ(std::vector(buffer.getSamples(), buffer.getSamples() + buffer.getSampleCount()),
              makeMoveSamples(std::array{900.f, 1050.f, 820.f, 1150.f}[i], 0.85f));
  }
  const sf::SoundBuffer& first = game.soundBank.buffers[0];
  EXPECT_EQ(std::tuple(first.getSampleCount(), first.getSamples()[0], gameRand()),
            std::tuple(3087u, std::int16_t{-7779}, 24639));  // the 9701st value
}
