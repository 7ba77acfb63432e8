// The font chains, the frame time and the full-screen toggle.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/Game.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

// Presents seven frames: at 60 a second they take at least six periods.
bool frameRateLimited(Game& game) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 7; ++i) game.window.display();
  return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(90);
}

}  // namespace

TEST(Fonts, ChainsFromTheAssetsToTheSystemFallbacks) {
  {
    const Game game;
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
    EXPECT_NE(game.displayFont.getInfo().family, "Syne");
  }
  FontPaths paths = defaultFontPaths();
  paths.mono[0] = paths.display[0] = "nowhere/a.ttf";
  paths.mono[1] = paths.display[1] = "nowhere/b.ttf";
  EXPECT_TRUE(Game(paths).fontsLoaded) << "the third choice serves";
  paths = defaultFontPaths();
  paths.display = test::missingFonts().display;
  const Game oneChainEmpty(paths);
  EXPECT_FALSE(oneChainEmpty.fontsLoaded);
  EXPECT_FALSE(oneChainEmpty.monoFont.getInfo().family.empty())
      << "a font that loaded stays usable";
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
  for (const auto& [measured, seconds] : {std::pair{sf::microseconds(16'667), 0.016667f},
                                          {sf::microseconds(50'000), 0.05f},
                                          {sf::seconds(3600), 0.05f}}) {
    EXPECT_FLOAT_EQ(clampFrameTime(measured), seconds) << measured.asMicroseconds();
  }
}

// Also runs under virtual screens of 1920x1080 and 1600x900 (tests/fullscreen.cmake).
TEST(Fullscreen, F11GoesFullScreenAndASecondF11ReturnsToTheWindow) {
  const std::vector<sf::VideoMode>& modes = sf::VideoMode::getFullscreenModes();
  if (modes.empty()) {
    GTEST_SKIP() << "this display lists no full-screen mode";
  }
  Game game;
  EXPECT_EQ(game.window.getSize(), sf::Vector2u(1280, 720));
  test::press(game, Key::Num1);
  const sf::Vector2f boardOffset = game.boardOffset;
  for (const bool full : {true, false, true}) {
    test::press(game, Key::F11);
    EXPECT_EQ(game.fullscreen, full);
    EXPECT_TRUE(game.window.isOpen());
    EXPECT_EQ(game.window.getSize(), full ? modes.front().size : sf::Vector2u(1280, 720));
    EXPECT_EQ(game.boardOffset, boardOffset) << "the board keeps its place until the next level";
    EXPECT_TRUE(frameRateLimited(game)) << "the limit is set again on the new window";
  }
}
