// The window, the backdrop, the font chains, the frame time, the event drain
// and the full-screen toggle.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/Game.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

// Presents a few frames and returns how long they took.
std::chrono::milliseconds timeOfFrames(Game& game, int frames) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    game.window.clear();
    game.window.display();
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

}  // namespace

TEST(Window, OpensAt1280x720OnTheTitleScreenOverTheBackdrop) {
  Game game;
  EXPECT_TRUE(game.window.isOpen());
  EXPECT_EQ(game.window.getSize(), sf::Vector2u(1280, 720));
  EXPECT_EQ(game.state, GameState::Menu);
  EXPECT_FALSE(game.fullscreen);
  // The backdrop picture: the clear colour with a faint grid every sixty
  // pixels, rows and columns crossing (the whole grid is compared with the
  // title screen drawn without fonts in online_nameentry_test.cpp).
  ASSERT_TRUE(game.backgroundReady);
  const sf::Color line = test::blend(test::kClearColour, {29, 158, 117, 10});
  const sf::Image picture = game.background.getTexture().copyToImage();
  EXPECT_TRUE(test::colourNear(picture, 30, 30, test::kClearColour));
  EXPECT_TRUE(test::colourNear(picture, 60, 30, line));
  EXPECT_TRUE(test::colourNear(picture, 30, 60, line));
  EXPECT_TRUE(test::colourNear(picture, 1260, 660, test::blend(line, {29, 158, 117, 10})));
  // And every frame starts with it.
  const sf::Image frame = test::capture(game);
  EXPECT_TRUE(test::colourNear(frame, 120, 5, line));
  EXPECT_TRUE(test::colourNear(frame, 5, 5, test::kClearColour));
}

TEST(Fonts, ChainsFromTheAssetsToTheSystemFallbacks) {
  ASSERT_TRUE(std::filesystem::exists("assets/SpaceMono-Regular.ttf"))
      << "scripts/setup places the fonts";
  {
    Game game;
    EXPECT_TRUE(game.fontsLoaded);
    EXPECT_EQ(game.monoFont.getInfo().family, "Space Mono");
    EXPECT_EQ(game.displayFont.getInfo().family, "Syne");
  }
  {  // Without the assets folder (from tests/, which has none) the system fonts serve.
    std::filesystem::current_path("tests");
    const Game game;
    std::filesystem::current_path("..");
    EXPECT_TRUE(game.fontsLoaded);
    EXPECT_NE(game.monoFont.getInfo().family, "Space Mono");
    EXPECT_FALSE(game.monoFont.getInfo().family.empty());
    EXPECT_NE(game.displayFont.getInfo().family, "Syne");
  }
  FontPaths paths = defaultFontPaths();
  paths.mono[0] = paths.display[0] = "nowhere/a.ttf";
  paths.mono[1] = paths.display[1] = "nowhere/b.ttf";
  EXPECT_TRUE(Game(paths).fontsLoaded) << "the third choice serves";
  paths = defaultFontPaths();
  paths.display = probe::missingFonts().display;
  const Game oneChainEmpty(paths);
  EXPECT_FALSE(oneChainEmpty.fontsLoaded);
  EXPECT_FALSE(oneChainEmpty.monoFont.getInfo().family.empty())
      << "a font that loaded stays usable";
  EXPECT_TRUE(fileExists("CMakeLists.txt"));
  EXPECT_FALSE(fileExists("no-such-file.ttf"));
  EXPECT_FALSE(fileExists(""));
}

TEST(Fonts, AFaceThatOpensButDrawsNoLetterIsAFailedChoice) {
  // A damaged download: the first 3,000 bytes of the game's face open
  // without error but hold no outlines; a garbage file does not open at all.
  const std::filesystem::path cut = testing::TempDir() + "cut.ttf";
  const std::filesystem::path garbage = testing::TempDir() + "garbage.ttf";
  std::filesystem::copy_file("assets/SpaceMono-Regular.ttf", cut,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(cut, 3000);
  std::ofstream(garbage) << std::string(3000, 'x');
  sf::Font opened;
  ASSERT_TRUE(opened.openFromFile(cut)) << "the cut face must open, or this shows nothing";

  FontPaths paths = defaultFontPaths();
  paths.mono = {cut.string(), garbage.string(), paths.mono[1]};
  paths.display = {garbage.string(), cut.string(), paths.display[1]};
  const Game game(paths);
  EXPECT_TRUE(game.fontsLoaded);
  ASSERT_TRUE(opened.openFromFile(paths.mono[2]));
  EXPECT_EQ(game.monoFont.getInfo().family, opened.getInfo().family);
  ASSERT_TRUE(opened.openFromFile(paths.display[2]));
  EXPECT_EQ(game.displayFont.getInfo().family, opened.getInfo().family);
  paths.mono[2] = cut.string();
  EXPECT_FALSE(Game(paths).fontsLoaded) << "a chain of damaged files is exhausted";
}

TEST(FrameTime, IsClampedToOneTwentiethOfASecond) {
  const std::pair<sf::Time, float> cases[] = {{sf::microseconds(16'667), 0.016667f},
                                              {sf::microseconds(50'000), 0.05f},
                                              {sf::seconds(3600), 0.05f}};
  for (const auto& [measured, seconds] : cases) {
    EXPECT_FLOAT_EQ(clampFrameTime(measured), seconds) << measured.asMicroseconds();
  }
}

TEST(Events, ACloseEventEndsTheDrainAndTheFrameStillRuns) {
  Game game;
  test::send(game, {test::keyPress(sf::Keyboard::Key::Down), test::closed(),
                    test::keyPress(sf::Keyboard::Key::Enter)});
  EXPECT_FALSE(game.window.isOpen());
  EXPECT_EQ(game.state, GameState::Menu) << "the Enter after the close must not start a level";
  game.update(0.016f);
  game.render();
  EXPECT_FALSE(game.window.isOpen());
}

// Also runs under virtual screens of 1920x1080 and 1600x900 (tests/fullscreen.cmake).
TEST(Fullscreen, F11GoesFullScreenAndASecondF11ReturnsToTheWindow) {
  const std::vector<sf::VideoMode>& modes = sf::VideoMode::getFullscreenModes();
  if (modes.empty()) {
    GTEST_SKIP() << "this display lists no full-screen mode";
  }
  const sf::Vector2u screen = modes.front().size;
  Game game;
  test::press(game, sf::Keyboard::Key::Num1);
  ASSERT_EQ(game.state, GameState::Playing);
  const sf::Vector2f boardOffset = game.boardOffset;

  test::press(game, sf::Keyboard::Key::F11);
  EXPECT_TRUE(game.fullscreen);
  EXPECT_TRUE(game.window.isOpen());
  EXPECT_EQ(game.window.getSize(), screen);
  EXPECT_EQ(game.boardOffset, boardOffset) << "the board keeps its place until the next level";
  // The limit of 60 frames a second is set again: seven presented frames
  // take at least six periods of 16.7 ms.
  EXPECT_GE(timeOfFrames(game, 7).count(), 90);

  test::press(game, sf::Keyboard::Key::F11);
  EXPECT_FALSE(game.fullscreen);
  EXPECT_EQ(game.window.getSize(), sf::Vector2u(1280, 720));
  EXPECT_GE(timeOfFrames(game, 7).count(), 90);

  test::press(game, sf::Keyboard::Key::F11);
  EXPECT_TRUE(game.fullscreen) << "a third F11 goes full screen again";
  EXPECT_EQ(game.window.getSize(), screen);
}
