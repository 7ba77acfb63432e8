#include <gtest/gtest.h>

#include "app/Game.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

const sf::Color kIceBlue(55, 138, 221, 255);
const sf::Color kBody = kIceBlue;

bool bluish(sf::Color c) { return c.b > c.r + 40; }
// Amber keeps red well above blue even seen through a menu row; the snow
// white and the blues never do.
bool amber(sf::Color c) { return c.r > c.b + 12 && c.g >= c.b; }

// ---------------------------------------------------------------- title

// Title screen at 1280x720: panel from (380, 201.6) to (900, 571.6), level
// rows at y = 249.6 + 62 i, each 488x58 from x = 396.
constexpr float kRowTop = 249.6f;
float rowTop(int i) { return kRowTop + 62.f * static_cast<float>(i); }
const sf::Color kTitlePanel(6, 12, 24, 210);

sf::Color titlePanelAt(unsigned x, unsigned y) {
  return test::blend(probe::backdrop(x, y), kTitlePanel);
}

TEST(TitleScreen, PanelRowsAndSelection) {
  Game game;
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "title");
  // The panel between the rows, left of them.
  EXPECT_TRUE(test::colourNear(shot, 388, 309, titlePanelAt(388, 309)));
  EXPECT_TRUE(test::colourNear(shot, 890, 565, titlePanelAt(890, 565)));
  EXPECT_TRUE(test::colourNear(shot, 375, 309, probe::backdrop(375, 309)));
  // The selected first row is brighter than the others.
  EXPECT_TRUE(
      test::colourNear(shot, 400, 255, test::blend(titlePanelAt(400, 255), {55, 138, 221, 50})));
  for (int i = 1; i < 5; ++i) {
    const auto y = static_cast<unsigned>(rowTop(i)) + 6;
    EXPECT_TRUE(
        test::colourNear(shot, 400, y, test::blend(titlePanelAt(400, y), {55, 138, 221, 8})))
        << "row " << i;
  }
  // The ">" marker at (L + 4, y + 20), only in the selected row.
  for (int i = 0; i < 5; ++i) {
    const auto y = static_cast<int>(rowTop(i));
    const sf::Color box = shot.getPixel({399, static_cast<unsigned>(y + 10)});
    const probe::Ink marker = probe::findInk(shot, {{398, y + 20}, {14, 20}}, box);
    EXPECT_EQ(marker.found, i == 0) << "row " << i;
    if (marker.found) {
      EXPECT_TRUE(bluish(marker.brightest));
    }
  }
  // The title word and the help and credits lines are centred (their bounds
  // are, so the ink may stray by the glyphs' side bearings).
  const probe::Ink title = probe::findInkOver(shot, {{0, 72}, {1280, 100}}, probe::backdrop);
  ASSERT_TRUE(title.found);
  EXPECT_NEAR(title.centreX(), 640.f, 6.f);
  const probe::Ink help = probe::findInkOver(shot, {{0, 590}, {1280, 16}}, probe::backdrop, 10);
  ASSERT_TRUE(help.found);
  EXPECT_NEAR(help.centreX(), 640.f, 3.f);
  const probe::Ink credits = probe::findInkOver(shot, {{0, 684}, {1280, 16}}, probe::backdrop, 10);
  ASSERT_TRUE(credits.found);
  EXPECT_NEAR(credits.centreX(), 640.f, 3.f);

  test::press(game, Key::Down);
  const sf::Image second = test::capture(game);
  EXPECT_TRUE(
      test::colourNear(second, 400, 255, test::blend(titlePanelAt(400, 255), {55, 138, 221, 8})));
  const auto y1 = static_cast<unsigned>(rowTop(1)) + 6;
  EXPECT_TRUE(
      test::colourNear(second, 400, y1, test::blend(titlePanelAt(400, y1), {55, 138, 221, 50})));
}

// Plays the level chosen by the digit key to its goal and closes the name
// prompt, so the win overlay stands alone.
void winLevel(Game& game, Key digit, int settleFrames = 100) {
  test::press(game, digit);
  ASSERT_EQ(game.state, GameState::Playing);
  const std::vector<Key> keys = probe::solution(game);
  ASSERT_FALSE(keys.empty());
  probe::play(game, keys, settleFrames);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
  ASSERT_FALSE(game.nameEntryActive);
}

// From the win menu of levels 1 to 4 to the title screen: "VELG NIVÅ".
void toTitle(Game& game) {
  test::send(game,
             {test::keyPress(Key::Down), test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Menu);
}

TEST(TitleScreen, BestTimeOnlyForWonLevels) {
  Game game;
  winLevel(game, Key::Num1);
  toTitle(game);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "title-best");
  for (int i = 0; i < 5; ++i) {
    const auto y = static_cast<int>(rowTop(i));
    const sf::Color box = shot.getPixel({782, static_cast<unsigned>(y + 10)});
    const probe::Ink time = probe::findInk(shot, {{788, y + 16}, {90, 24}}, box);
    EXPECT_EQ(time.found, i == 0) << "row " << i;
    if (time.found) {
      EXPECT_TRUE(amber(time.brightest)) << time;
      EXPECT_GE(time.left, 790);
    }
  }
}

// ---------------------------------------------------------------- pause

const sf::Color kVeil(4, 8, 16, 180);
const sf::Color kPausePanel(6, 12, 26, 240);

TEST(PauseOverlay, PanelAndFourButtons) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  ASSERT_EQ(game.menuItems.size(), 4u);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "pause");
  const auto veiled = [&game](unsigned x, unsigned y) {
    return test::blend(probe::boardUnderlay(game, x, y), kVeil);
  };
  const auto panel = [&](unsigned x, unsigned y) { return test::blend(veiled(x, y), kPausePanel); };
  // The panel spans (420, 220) to (860, 500).
  EXPECT_TRUE(test::colourNear(shot, 440, 245, panel(440, 245)));
  EXPECT_TRUE(test::colourNear(shot, 440, 495, panel(440, 495)));
  EXPECT_TRUE(test::colourNear(shot, 855, 225, panel(855, 225)));
  EXPECT_TRUE(test::colourNear(shot, 413, 245, veiled(413, 245)));
  EXPECT_TRUE(test::colourNear(shot, 440, 506, veiled(440, 506)));
  // Buttons from x = 470 at y = 338, 396, 454, 512; the first is selected.
  const sf::Color selected(55, 138, 221, 60);
  const sf::Color plain(8, 14, 28, 200);
  EXPECT_TRUE(test::colourNear(shot, 475, 345, test::blend(panel(475, 345), selected)));
  EXPECT_TRUE(test::colourNear(shot, 475, 405, test::blend(panel(475, 405), plain)));
  EXPECT_TRUE(test::colourNear(shot, 475, 460, test::blend(panel(475, 460), plain)));
  // The fourth lies wholly below the panel, on the veiled board.
  EXPECT_TRUE(test::colourNear(shot, 475, 507, veiled(475, 507)));
  EXPECT_TRUE(test::colourNear(shot, 475, 515, test::blend(veiled(475, 515), plain)));
  EXPECT_TRUE(test::colourNear(shot, 805, 555, test::blend(veiled(805, 555), plain)));
  EXPECT_TRUE(test::colourNear(shot, 475, 565, veiled(475, 565)));
  // "PAUSE" centred; the marker only on the selected button.
  const probe::Ink title = probe::findInk(shot, {{430, 246}, {420, 38}}, panel(440, 245));
  ASSERT_TRUE(title.found);
  EXPECT_NEAR(title.centreX(), 640.f, 3.f);
  for (int i = 0; i < 4; ++i) {
    const int y = 338 + 58 * i;
    const sf::Color fill = shot.getPixel({475, static_cast<unsigned>(y + 5)});
    const probe::Ink marker = probe::findInk(shot, {{482, y + 14}, {18, 28}}, fill);
    EXPECT_EQ(marker.found, i == 0) << "button " << i;
  }
}

TEST(PauseOverlay, PrimaryLabelStaysBrighterWhenNotSelected) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::Escape);
  test::press(game, Key::Down);
  const sf::Image shot = test::capture(game);
  // "FORTSETT" (primary) at alpha 180 against "VELG NIVÅ" at 120.
  const auto label = [&shot](int i) {
    const int y = 338 + 58 * i;
    return probe::findInk(shot, {{520, y + 14}, {240, 28}},
                          shot.getPixel({475, static_cast<unsigned>(y + 5)}));
  };
  const probe::Ink primary = label(0);
  const probe::Ink other = label(2);
  ASSERT_TRUE(primary.found);
  ASSERT_TRUE(other.found);
  EXPECT_GT(primary.brightest.r, other.brightest.r + 25);
  EXPECT_NEAR(primary.centreX(), 640.f, 3.f);
  EXPECT_NEAR(other.centreX(), 640.f, 3.f);
}

// ---------------------------------------------------------------- win

const sf::Color kDim(4, 8, 16, 160);
const sf::Color kWinPanel(6, 12, 26, 245);

// Win overlay at 1280x720: panel (390, 180) to (890, 540), stats box from
// (410, 276), 460x72; the banner from (410, 356), 460x26.
sf::Color winPanelAt(const Game& game, unsigned x, unsigned y) {
  return test::blend(test::blend(probe::boardUnderlay(game, x, y), kDim), kWinPanel);
}

// A line of the best-times list drawn at y (size 11, centred): the menu rows
// lie over the list, but the line's first letters stand left of the labels
// and show through the rows. Each pixel row is compared with the same row
// further left, where nothing but the panel or a menu row lies.
probe::Ink listLine(const sf::Image& shot, int y) {
  return probe::findInkOver(
      shot, {{566, y + 6}, {26, 7}},
      [&shot](unsigned, unsigned row) { return shot.getPixel({460, row}); }, 20);
}

TEST(WinOverlay, PanelBannerAndMenuOnFirstCompletion) {
  Game game;
  winLevel(game, Key::Num1);
  ASSERT_EQ(game.menuItems.size(), 4u);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "win-first");
  EXPECT_TRUE(test::colourNear(shot, 400, 250, winPanelAt(game, 400, 250)));
  EXPECT_TRUE(
      test::colourNear(shot, 380, 250, test::blend(probe::boardUnderlay(game, 380, 250), kDim)));
  EXPECT_TRUE(test::colourNear(shot, 412, 285,
                               test::blend(winPanelAt(game, 412, 285), {55, 138, 221, 12})));
  // The banner: this run set the record.
  EXPECT_TRUE(test::colourNear(shot, 421, 362,
                               test::blend(winPanelAt(game, 421, 362), {240, 160, 48, 20})));
  // Menu rows 380 wide from x = 450: the first at T + 118 = 298 over the
  // stats box, the last ending at 520, 20 pixels above the panel's bottom.
  EXPECT_TRUE(
      test::colourNear(shot, 455, 300,
                       test::blend(test::blend(winPanelAt(game, 455, 300), {55, 138, 221, 12}),
                                   {55, 138, 221, 60})));
  EXPECT_TRUE(
      test::colourNear(shot, 455, 518, test::blend(winPanelAt(game, 455, 518), {8, 14, 28, 200})));
  EXPECT_TRUE(test::colourNear(shot, 455, 525, winPanelAt(game, 455, 525)));
  // The title centred over the panel.
  const probe::Ink title =
      probe::findInk(shot, {{400, 196}, {480, 52}}, winPanelAt(game, 400, 250));
  ASSERT_TRUE(title.found);
  EXPECT_NEAR(title.centreX(), 640.f, 3.f);
  // The list starts at 390 under the banner: one line at 408, the current
  // level's, in amber; no line for the levels never won.
  const probe::Ink line = listLine(shot, 408);
  ASSERT_TRUE(line.found);
  EXPECT_TRUE(amber(line.brightest)) << line;
  EXPECT_FALSE(listLine(shot, 424).found) << listLine(shot, 424);
}

TEST(WinOverlay, NoBannerOnASlowerRun) {
  Game game;
  winLevel(game, Key::Num1);
  const float best = game.bestRecords[0].bestTime;
  // "SPILL NIVÅ 1 IGJEN", and a slower run.
  test::send(game, {test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  ASSERT_EQ(game.state, GameState::Playing);
  probe::play(game, probe::kLevelOneSolution, 130);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
  ASSERT_GT(game.elapsedTime, best);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "win-slower");
  EXPECT_TRUE(test::colourNear(shot, 421, 362, winPanelAt(game, 421, 362)));
  // The list moved up 26 pixels: its line is at 382, not at 408.
  const probe::Ink line = listLine(shot, 382);
  ASSERT_TRUE(line.found);
  EXPECT_TRUE(amber(line.brightest)) << line;
  EXPECT_FALSE(listLine(shot, 408).found) << listLine(shot, 408);
}

TEST(WinOverlay, ListShowsOtherLevelsInSnowWhite) {
  Game game;
  winLevel(game, Key::Num1);
  toTitle(game);
  winLevel(game, Key::Num3);
  ASSERT_TRUE(game.bestRecords[0].hasBest);
  ASSERT_FALSE(game.bestRecords[1].hasBest);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "win-level-3");
  // First completion of level 3: the banner again; the list has "LEVEL 1" in
  // faint snow white, then "LEVEL 3", the current level, in amber, and
  // nothing for levels 2, 4 and 5.
  EXPECT_TRUE(test::colourNear(shot, 421, 362,
                               test::blend(winPanelAt(game, 421, 362), {240, 160, 48, 20})));
  const probe::Ink first = listLine(shot, 408);
  ASSERT_TRUE(first.found);
  EXPECT_FALSE(amber(first.brightest)) << first;
  EXPECT_GE(first.brightest.b, first.brightest.r);
  const probe::Ink second = listLine(shot, 424);
  ASSERT_TRUE(second.found);
  EXPECT_TRUE(amber(second.brightest)) << second;
  EXPECT_FALSE(listLine(shot, 440).found) << listLine(shot, 440);
}

TEST(WinOverlay, LastLevelMenuStartsAtT176) {
  Game game;
  winLevel(game, Key::Num5);
  ASSERT_EQ(game.menuItems.size(), 3u);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "win-level-5");
  EXPECT_TRUE(test::colourNear(shot, 455, 352, winPanelAt(game, 455, 352)));
  const sf::Color banner = test::blend(winPanelAt(game, 455, 360), {240, 160, 48, 20});
  EXPECT_TRUE(test::colourNear(shot, 455, 360, test::blend(banner, {55, 138, 221, 60})));
  EXPECT_TRUE(
      test::colourNear(shot, 455, 518, test::blend(winPanelAt(game, 455, 518), {8, 14, 28, 200})));
  EXPECT_TRUE(test::colourNear(shot, 455, 525, winPanelAt(game, 455, 525)));
}

// ---------------------------------------------------------------- no fonts

TEST(NoFonts, TitleScreenDrawsNothing) {
  Game game(probe::missingFonts());
  ASSERT_FALSE(game.fontsLoaded);
  const sf::Image shot = test::capture(game);
  unsigned differing = 0;
  for (unsigned y = 0; y < 720; y += 3) {
    for (unsigned x = 0; x < 1280; x += 3) {
      differing += test::colourNear(shot, x, y, probe::backdrop(x, y)) ? 0 : 1;
    }
  }
  EXPECT_EQ(differing, 0u);
}

TEST(NoFonts, PauseAndWinOverlaysDrawNothingButTheBoardStays) {
  Game game(probe::missingFonts());
  test::press(game, Key::Num1);
  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  const sf::Image paused = test::capture(game);
  for (const auto& [x, y] : {std::pair{440u, 245u}, std::pair{475u, 345u}, std::pair{475u, 520u}}) {
    EXPECT_TRUE(test::colourNear(paused, x, y, probe::boardUnderlay(game, x, y))) << x << "," << y;
  }
  EXPECT_TRUE(test::colourNear(paused, 384 + 13, 196, kBody));
  EXPECT_TRUE(test::colourNear(paused, 7, 3, test::blend(probe::backdrop(7, 3), {4, 8, 22, 210})));

  test::press(game, Key::Escape);
  probe::play(game, probe::kLevelOneSolution, 100);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
  const sf::Image won = test::capture(game);
  for (const auto& [x, y] : {std::pair{400u, 250u}, std::pair{455u, 300u}, std::pair{421u, 362u}}) {
    EXPECT_TRUE(test::colourNear(won, x, y, probe::boardUnderlay(game, x, y))) << x << "," << y;
  }
  EXPECT_TRUE(test::colourNear(won, 896 + 13, 580, kBody));
  EXPECT_TRUE(test::colourNear(won, 7, 3, test::blend(probe::backdrop(7, 3), {4, 8, 22, 210})));
}

// ---------------------------------------------------------------- resizing

TEST(Resizing, ScreensStayCentredAndUnstretched) {
  Game game;
  game.window.setSize({1600, 900});
  for (int i = 0; i < 20 && game.window.getView().getSize().x != 1600.f; ++i) {
    game.handleEvents();
    sf::sleep(sf::milliseconds(10));
  }
  ASSERT_EQ(game.window.getSize(), sf::Vector2u(1600, 900));
  ASSERT_EQ(game.window.getView().getSize(), sf::Vector2f(1600.f, 900.f));
  game.render();  // the first frame at the new size also resizes the drawable
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "title-1600");
  // Panel from x = 540, rows from y = 252 + 48; between rows 0 and 1 at 359.
  EXPECT_TRUE(test::colourNear(shot, 548, 359, titlePanelAt(548, 359)));
  EXPECT_TRUE(test::colourNear(shot, 535, 359, probe::backdrop(535, 359)));
  const probe::Ink title = probe::findInkOver(shot, {{0, 90}, {1600, 100}}, probe::backdrop);
  ASSERT_TRUE(title.found);
  EXPECT_NEAR(title.centreX(), 800.f, 6.f);

  // The board keeps the placement made when its level started.
  test::press(game, Key::Num1);
  EXPECT_EQ(game.boardOffset, sf::Vector2f(512.f, 164.f));
  game.window.setSize({1280, 720});
  for (int i = 0; i < 20 && game.window.getView().getSize().x != 1280.f; ++i) {
    game.handleEvents();
    sf::sleep(sf::milliseconds(10));
  }
  EXPECT_EQ(game.boardOffset, sf::Vector2f(512.f, 164.f));
}

}  // namespace
