// Whole frames against the pictures they must be, pixel for pixel: the
// README's pictures (docs/) and the screens those leave out (tests/frames/).
// Runs on its own virtual 1920x1080 screen (tests/CMakeLists.txt). A frame
// that differs is written under build/frames/; when a change of the look is
// meant, rerun snokrystal_pictures for docs/ and copy the others over.
// The frame keeps its texts laid out between frames and the win screen's
// scene as a picture: a frame must give exactly the pixels of the same frame
// drawn with nothing kept.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "app/Game.h"
#include "bench/Scenes.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"
#include "tools/IconArt.h"

namespace {

using Key = sf::Keyboard::Key;

// A difference leaves both pictures in the build's frames/ folder, for a
// person to look at.
::testing::AssertionResult samePixels(const sf::Image& actual, const sf::Image& expected,
                                      const std::string& name) {
  const sf::Vector2u size = actual.getSize();
  if (expected.getSize() == size &&
      std::memcmp(actual.getPixelsPtr(), expected.getPixelsPtr(), 4ul * size.x * size.y) == 0)
    return ::testing::AssertionSuccess();
  const std::string file = SNOKRYSTAL_FRAMES_OUT "/" + name;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  static_cast<void>(actual.saveToFile(file + ".png") &&
                    expected.saveToFile(file + "-expected.png"));
  return ::testing::AssertionFailure() << name << " differs; see " << file << "(-expected).png";
}

// The frame against the picture of that path (its .png); a missing one has no pixels.
::testing::AssertionResult drawnAs(Game& game, const std::string& picture) {
  sf::Image expected;
  static_cast<void>(expected.loadFromFile(picture + ".png"));
  return samePixels(autoplay::drawnFrame(game), expected, picture);
}

// Draws a frame, then the same frame with nothing kept from earlier ones (no
// picture, no laid-out text); both must agree, and the first must have made
// a new win picture exactly when `remade` says. The name cursor blinks with the
// wall clock: a start still to come shows "_" however long the frames take.
::testing::AssertionResult sameAsDrawnAfresh(Game& game, const std::string& name, bool remade) {
  const std::uint64_t madeBefore = game.winPicture.made;
  game.startedAt = std::chrono::steady_clock::now() + std::chrono::hours(24);
  const sf::Image shown = autoplay::drawnFrame(game);
  if ((game.winPicture.made != madeBefore) != remade)
    return ::testing::AssertionFailure() << name << ": picture remade " << !remade;
  bench::forgetKeptDrawing(game);
  return samePixels(shown, autoplay::drawnFrame(game), name);
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
  Game game(FontPaths{{"no/1", "no/2", "no/3"}, {"no/4", "no/5", "no/6"}});
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

// The icon drawn again against assets/icon/ (tools/icon.cpp): each size's
// picture, and the icon file the Windows program carries, byte for byte.
TEST(Frames, TheIconAtEachSizeAndItsIconFile) {
  std::vector<sf::Image> drawn;
  for (const unsigned size : icon::kSizes) {
    const std::string picture = "assets/icon/icon-" + std::to_string(size);
    drawn.push_back(icon::draw(size));
    sf::Image expected;
    static_cast<void>(expected.loadFromFile(picture + ".png"));
    EXPECT_TRUE(samePixels(drawn.back(), expected, picture));
  }
  std::ifstream file("assets/icon/snokrystal.ico", std::ios::binary);
  const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(file), {}};
  EXPECT_TRUE(committed == icon::icoFile(drawn)) << "assets/icon/snokrystal.ico is out of date";
}

// A lone trail cell is the oldest of many: no division by n - 1. (The
// batches of every layer are pixel for pixel in the pictures above.)
TEST(Trail, ALoneCellIsTheOldest) {
  const Game game;
  Canvas lone;
  game.drawTrail(lone, {GridCell{3, 4}}, 36.f, {});
  EXPECT_EQ(std::get<Canvas::Vertices>(lone.recording.calls.at(0)).vertices.at(0).color.a, 10);
}

TEST(WinPicture, KeptWhileOnlyTheTopLayerChangesAndRemadeWhenTheRestDoes) {
  Game game;
  const bench::Scenes scenes = bench::buildScenes(game);
  game.playState() = scenes.winScreen;
  ASSERT_TRUE(sameAsDrawnAfresh(game, "win-menu", true));
  autoplay::press(game, Key::Down);  // the moving selection is drawn over the picture
  ASSERT_EQ(game.menuSelection, 1);
  EXPECT_TRUE(sameAsDrawnAfresh(game, "win-menu-moved", false));
  game.playState() = scenes.nameEntry;
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-entry", true));
  autoplay::type(game, "Q");  // only the line over the panel changes
  ASSERT_EQ(game.playerName, "Ola NordmannQ");
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-typed", false));
  // The outcome arriving replaces the panel under the top layer.
  game.nameEntryActive = false;
  game.lastResult = ScoreResult{.ok = true, .place = 3, .total = 41, .error = {}};
  game.resultReady = true;
  EXPECT_TRUE(sameAsDrawnAfresh(game, "outcome", true));
  autoplay::send(game, {sf::Event::Resized{{1000, 700}}});
  EXPECT_TRUE(sameAsDrawnAfresh(game, "resized", true));
}
