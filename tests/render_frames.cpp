// Whole frames against the pictures they must be, pixel for pixel: the
// README's pictures (docs/) and the screens those leave out (tests/frames/).
// Runs on its own virtual 1920x1080 screen (tests/CMakeLists.txt). A frame
// that differs is written under build/frames/; when a change of the look is
// meant, rerun snokrystal_pictures for docs/ and copy the others over.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

// The frame against the picture of that path (its .png).
::testing::AssertionResult drawnAs(Game& game, const std::string& picture) {
  const sf::Image frame = test::capture(game);
  sf::Image expected;
  const sf::Vector2u size = frame.getSize();
  if (expected.loadFromFile(picture + ".png") && expected.getSize() == size &&
      std::memcmp(frame.getPixelsPtr(), expected.getPixelsPtr(), 4ul * size.x * size.y) == 0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << picture << ".png differs from the frame drawn, "
                                       << test::saveForInspection(frame, picture);
}

}  // namespace

TEST(Frames, TheReadmePictures) {
  Game game;
  autoplay::readmePictures(
      game, [&game](const std::string& name) { EXPECT_TRUE(drawnAs(game, "docs/" + name)); });
}

TEST(Frames, NamePromptWhileAScoreIsOnItsWayAndBothOutcomes) {
  Game game;
  gameSrand(20240);
  test::win(game, Key::Num1);
  test::advance(game, 20);
  test::type(game, "Ola");
  // A start still to come: the cursor shows "_" however long the frame takes.
  game.startedAt = std::chrono::steady_clock::now() + std::chrono::hours(24);
  game.submitter.busy->store(true);  // "Sender..."
  EXPECT_TRUE(drawnAs(game, "tests/frames/name-prompt"));
  game.submitter.busy->store(false);
  test::press(game, Key::Escape);
  game.resultReady = true;  // as the hand-over leaves it
  game.lastResult = {.ok = true, .place = 3, .total = 41, .error = {}};
  EXPECT_TRUE(drawnAs(game, "tests/frames/score-sent"));
  game.lastResult = {.ok = false, .place = 0, .total = 0, .error = "HttpSendRequest feilet: 7"};
  EXPECT_TRUE(drawnAs(game, "tests/frames/score-not-sent"));
}

TEST(Frames, TwoLevelsWonAndTheTitleWithTheirBestTimesUnderTheConfetti) {
  Game game;
  gameSrand(20240);
  test::win(game, Key::Num1);
  test::press(game, {Key::Escape, Key::Enter});  // "NESTE NIVÅ"
  test::play(game, test::solution(game), test::kFrame);
  test::press(game, Key::Escape);
  test::advance(game, 30);
  EXPECT_TRUE(drawnAs(game, "tests/frames/win-second-level"));
  test::press(game, {Key::Down, Key::Down, Key::Enter});  // "VELG NIVÅ"
  test::advance(game, 10);
  EXPECT_TRUE(drawnAs(game, "tests/frames/title-best-times"));
}

TEST(Frames, WithoutFontsOnlyTheShapes) {
  Game game(test::missingFonts());
  EXPECT_TRUE(drawnAs(game, "tests/frames/no-fonts-title"));
  gameSrand(20240);
  test::win(game, Key::Num1);
  test::advance(game, 7);
  test::type(game, "Ola");
  EXPECT_TRUE(drawnAs(game, "tests/frames/no-fonts-prompt"));
}

TEST(Frames, TheStatusBarAcrossAFullScreen) {
  Game game;
  test::press(game, {Key::Num1, Key::F11});
  test::advance(game, 2);
  EXPECT_TRUE(drawnAs(game, "tests/frames/full-screen"));
}
