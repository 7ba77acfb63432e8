// The font chains, the frame time and the full-screen toggle.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/Game.h"
#include "support/TestSupport.h"

// A damaged download: the first 3,000 bytes of the game's face open without
// error but hold no outlines; a garbage file does not open at all. Either is
// a failed choice, and the third serves. The game's own faces, first in their
// chains, are those of every picture in docs/.
TEST(Fonts, ChainsFromTheGamesFacesToTheSystemFallbacksPastDamagedFiles) {
  const std::string cut = testing::TempDir() + "cut.ttf", garbage = testing::TempDir() + "x.ttf";
  std::filesystem::copy_file("assets/SpaceMono-Regular.ttf", cut,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(cut, 3000);
  std::ofstream(garbage) << std::string(3000, 'x');
  sf::Font font;
  ASSERT_TRUE(font.openFromFile(cut)) << "the cut face must open, or this shows nothing";
  const auto family = [&font](const std::string& path) {
    return font.openFromFile(path) ? font.getInfo().family : "";
  };
  const auto fonts = [](const Game& g) {
    return std::tuple(g.fontsLoaded, g.monoFont.getInfo().family, g.displayFont.getInfo().family);
  };
  FontPaths paths = defaultFontPaths();
  paths.mono = {cut, garbage, paths.mono[1]};
  paths.display = {garbage, cut, paths.display[1]};
  EXPECT_EQ(fonts(Game(paths)), std::tuple(true, family(paths.mono[2]), family(paths.display[2])));
  // A chain of damaged files is exhausted; the face the other chain found stays usable.
  paths.mono[2] = cut;
  const auto [loaded, mono, display] = fonts(Game(paths));
  EXPECT_EQ(std::pair(loaded, display), std::pair(false, family(paths.display[2])));
}

TEST(FrameTime, IsClampedToOneTwentiethOfASecond) {
  EXPECT_FLOAT_EQ(clampFrameTime(sf::microseconds(16'667)), 0.016667f);
  EXPECT_FLOAT_EQ(clampFrameTime(sf::seconds(3600)), 0.05f);
}

// Also runs on a virtual screen of 1600x900 (tests/CMakeLists.txt).
TEST(Fullscreen, F11GoesFullScreenAndASecondF11ReturnsToTheWindow) {
  const std::vector<sf::VideoMode>& modes = sf::VideoMode::getFullscreenModes();
  if (modes.empty()) GTEST_SKIP() << "this display lists no full-screen mode";
  Game game;
  test::press(game, sf::Keyboard::Key::Num1);
  const sf::Vector2f boardOffset = game.boardOffset;
  for (const bool full : {false, true, false, true}) {
    // The board keeps its place until the next level.
    EXPECT_EQ(
        std::tuple(game.fullscreen, game.window.isOpen(), game.window.getSize(), game.boardOffset),
        std::tuple(full, true, full ? modes.front().size : sf::Vector2u(1280, 720), boardOffset));
    // The limit is set again on every new window: seven frames at 60 a second
    // take at least six periods.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 7; ++i) game.window.display();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    test::press(game, sf::Keyboard::Key::F11);
  }
}
