// The time format and the status bar, the title screen, the pause and win
// overlays with their menus, probed in real frames. The board's layers pixel
// by pixel: render_batch_test.cpp; the screens without fonts:
// online_nameentry_test.cpp.
#include <gtest/gtest.h>

#include <tuple>

#include "app/Game.h"
#include "render/Hud.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

const sf::Color kSelectedRow(55, 138, 221, 50);
const sf::Color kRow(55, 138, 221, 8);

bool bluish(sf::Color c) { return c.b > c.r + 40; }
// Amber keeps red well above blue even seen through a menu row; the snow
// white and the blues never do.
bool amber(sf::Color c) { return c.r > c.b + 12 && c.g >= c.b; }

TEST(FormatTime, MinutesColonSecondsRoundedToHundredths) {
  const std::pair<float, const char*> cases[] = {
      {0.f, "0:00.00"},     {5.5f, "0:05.50"},    {7.5f, "0:07.50"},
      {65.25f, "1:05.25"},  {75.25f, "1:15.25"},  {600.f, "10:00.00"},
      {3600.f, "60:00.00"}, {59.996f, "1:00.00"}, {59.994f, "0:59.99"}};
  for (const auto& [seconds, text] : cases) {
    EXPECT_EQ(formatTime(seconds), text) << seconds;
  }
}

// The band over the backdrop (or over the plain clear colour beyond it).
sf::Color bandOver(unsigned x, unsigned y) {
  return test::blend(probe::backdrop(x, y), sf::Color(4, 8, 22, 210));
}

// Checks the band, the rule and the four columns' centres at width w.
void expectStatusBar(const sf::Image& shot, float w) {
  const auto width = static_cast<unsigned>(w);
  for (const unsigned x : {1u, 7u, width / 2 + 200, width - 2}) {
    EXPECT_TRUE(test::colourNear(shot, x, 3, bandOver(x, 3))) << "band at x = " << x;
    const sf::Color rule = test::blend(bandOver(x, 55), sf::Color(55, 138, 221, 28));
    EXPECT_TRUE(test::colourNear(shot, x, 55, rule)) << "rule at x = " << x;
  }
  const sf::Color band = bandOver(7, 3);
  // Labels at y = 8 in size 10, values at y = 24 in size 18; a column's ink
  // is centred on its x, give or take the glyphs' side bearings (the layout
  // centres the text's bounds, not its ink).
  const float centres[] = {w * 0.12f, w * 0.26f, w * 0.74f, w * 0.88f};
  const auto value = [&](float cx) {
    return probe::findInk(shot, {{static_cast<int>(cx) - 90, 26}, {180, 26}}, band);
  };
  for (const float cx : centres) {
    const probe::Ink label =
        probe::findInk(shot, {{static_cast<int>(cx) - 70, 8}, {140, 14}}, band);
    EXPECT_TRUE(probe::centredOn(label, cx, 4.f)) << "label at " << cx;
  }
  for (const float cx : {centres[0], centres[1], centres[2]}) {
    EXPECT_TRUE(probe::centredOn(value(cx), cx, 4.f)) << "value at " << cx;
  }
  EXPECT_FALSE(value(centres[3]).found) << "\"LYD\" has no value line";
  // Blue for time and moves, amber for the best time.
  EXPECT_GT(value(centres[0]).brightest.b, value(centres[0]).brightest.r);
  EXPECT_GT(value(centres[2]).brightest.r, value(centres[2]).brightest.b);
}

TEST(StatusBar, BandRuleAndColumnsFollowTheWindowWidth) {
  Game game;
  test::press(game, Key::Num1);
  test::advance(game, 0.05f, 2);
  const sf::Image shot = test::capture(game, "status-bar-1280");
  expectStatusBar(shot, 1280.f);

  // Full screen on the 1920x1080 test display: the bar spans the new width.
  test::press(game, Key::F11);
  ASSERT_EQ(game.window.getSize().x, 1920u);
  test::advance(game, 0.05f);
  const sf::Image wide = test::capture(game, "status-bar-1920");
  expectStatusBar(wide, 1920.f);
  // The title screen centres itself on the new width too: its panel spans
  // x = 700 to 1220, the title word sits over it.
  test::press(game, {Key::Escape, Key::Down, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Menu);
  const sf::Image title = test::capture(game, "title-1920");
  const sf::Color clear = test::kClearColour;
  EXPECT_TRUE(test::colourNear(title, 1300, 309, clear));
  EXPECT_FALSE(test::colourNear(title, 1210, 309, clear));
  const probe::Ink word = probe::findInk(title, {{0, 108}, {1920, 100}}, clear);
  EXPECT_TRUE(probe::centredOn(word, 960.f, 6.f));
}

// Title screen at 1280x720: panel from (380, 201.6) to (900, 571.6), level
// rows at y = 249.6 + 62 i, each 488x58 from x = 396.
float rowTop(int i) { return 249.6f + 62.f * static_cast<float>(i); }

probe::Pixel titlePanel(unsigned x, unsigned y) {
  return probe::onBackdrop(x, y) + sf::Color(6, 12, 24, 210);
}

TEST(TitleScreen, PanelRowsAndSelection) {
  Game game;
  const sf::Image shot = test::capture(game, "title");
  // The panel between and beside the rows, and nothing left of it.
  probe::expectPixels(shot,
                      {titlePanel(388, 309), titlePanel(890, 565), probe::onBackdrop(375, 309)});
  // Only the selected first row has the brighter box and the ">" marker at
  // (L + 4, y + 20).
  for (int i = 0; i < 5; ++i) {
    const auto y = static_cast<int>(rowTop(i));
    const auto boxY = static_cast<unsigned>(y + 6);
    probe::expectPixels(shot, {titlePanel(400, boxY) + (i == 0 ? kSelectedRow : kRow)});
    const sf::Color box = shot.getPixel({399, static_cast<unsigned>(y + 10)});
    const probe::Ink marker = probe::findInk(shot, {{398, y + 20}, {14, 20}}, box);
    EXPECT_EQ(marker.found, i == 0) << "row " << i;
    EXPECT_TRUE(!marker.found || bluish(marker.brightest));
  }
  // The title word and the help and credits lines are centred (their bounds
  // are, so the ink may stray by the glyphs' side bearings).
  for (const auto& [top, height, tolerance, threshold] :
       {std::tuple{72, 100, 6.f, 45}, {590, 16, 3.f, 10}, {684, 16, 3.f, 10}}) {
    const probe::Ink ink =
        probe::findInkOver(shot, {{0, top}, {1280, height}}, probe::backdrop, threshold);
    EXPECT_TRUE(probe::centredOn(ink, 640.f, tolerance)) << "y " << top;
  }
  test::press(game, Key::Down);
  const sf::Image second = test::capture(game);
  const auto y1 = static_cast<unsigned>(rowTop(1)) + 6;
  probe::expectPixels(second, {titlePanel(400, 255) + kRow, titlePanel(400, y1) + kSelectedRow});
}

// Wins the level of the digit key and closes the name prompt, so the win
// overlay stands alone; the frames after each move let the sparks fade.
void winLevel(Game& game, Key digit, int settleFrames = 100) {
  probe::winLevel(game, digit, settleFrames);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
}

// From the win menu of levels 1 to 4 to the title screen: "VELG NIVÅ".
void toTitle(Game& game) {
  test::press(game, {Key::Down, Key::Down, Key::Enter});
  ASSERT_EQ(game.state, GameState::Menu);
}

TEST(PauseOverlay, PanelFourButtonsAndLabels) {
  Game game;
  test::press(game, Key::Num1);
  const sf::Image playing = test::capture(game);
  test::press(game, Key::Escape);
  const sf::Image shot = test::capture(game, "pause");
  const auto veiled = [&playing](unsigned x, unsigned y) {
    return probe::on(playing, x, y) + sf::Color(4, 8, 16, 180);
  };
  const auto panel = [&](unsigned x, unsigned y) {
    return veiled(x, y) + sf::Color(6, 12, 26, 240);
  };
  const sf::Color selected(55, 138, 221, 60);
  const sf::Color plain(8, 14, 28, 200);
  // The panel spans (420, 220) to (860, 500); the buttons start at x = 470
  // and y = 338, 396, 454, 512, the first selected, the fourth wholly below
  // the panel on the veiled board.
  probe::expectPixels(shot, {panel(440, 245), panel(440, 495), panel(855, 225), veiled(413, 245),
                             veiled(440, 506), panel(475, 345) + selected, panel(475, 405) + plain,
                             panel(475, 460) + plain, veiled(475, 507), veiled(475, 515) + plain,
                             veiled(805, 555) + plain, veiled(475, 565)});
  // "PAUSE" centred; the marker only on the selected button.
  const probe::Ink title = probe::findInk(shot, {{430, 246}, {420, 38}}, panel(440, 245).colour);
  EXPECT_TRUE(probe::centredOn(title, 640.f, 3.f));
  const auto ink = [](const sf::Image& image, int button, int left, int width) {
    const int y = 338 + 58 * button;
    return probe::findInk(image, {{left, y + 14}, {width, 28}},
                          image.getPixel({475, static_cast<unsigned>(y + 5)}));
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ink(shot, i, 482, 18).found, i == 0) << "marker on button " << i;
  }
  // The primary "FORTSETT", not selected, stays brighter (alpha 180) than
  // "VELG NIVÅ" (120); both centred.
  test::press(game, Key::Down);
  const sf::Image down = test::capture(game);
  const probe::Ink primary = ink(down, 0, 520, 240);
  const probe::Ink other = ink(down, 2, 520, 240);
  ASSERT_TRUE(probe::centredOn(primary, 640.f, 3.f));
  ASSERT_TRUE(probe::centredOn(other, 640.f, 3.f));
  EXPECT_GT(primary.brightest.r, other.brightest.r + 25);
}

// Win overlay at 1280x720: panel (390, 180) to (890, 540), stats box from
// (410, 276), 460x72; the banner from (410, 356), 460x26.
const sf::Color kWinVeil(4, 8, 16, 160);
const sf::Color kBanner(240, 160, 48, 20);
const sf::Color kStatsBox(55, 138, 221, 12);
const sf::Color kSelectedItem(55, 138, 221, 60);
const sf::Color kItem(8, 14, 28, 200);

probe::Pixel winPanel(const sf::Image& board, unsigned x, unsigned y) {
  return probe::on(board, x, y) + kWinVeil + sf::Color(6, 12, 26, 245);
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

TEST(WinOverlay, PanelBannerListAndMenuOnFirstCompletion) {
  Game game;
  winLevel(game, Key::Num1);
  const sf::Image shot = test::capture(game, "win-first");
  const sf::Image board = probe::boardBeneath(game);
  // Menu rows 380 wide from x = 450: the first at T + 118 = 298 over the
  // stats box, the last ending at 520, 20 pixels above the panel's bottom.
  probe::expectPixels(shot,
                      {winPanel(board, 400, 250), probe::on(board, 380, 250) + kWinVeil,
                       winPanel(board, 412, 285) + kStatsBox, winPanel(board, 421, 362) + kBanner,
                       winPanel(board, 455, 300) + kStatsBox + kSelectedItem,
                       winPanel(board, 455, 518) + kItem, winPanel(board, 455, 525)});
  const probe::Ink title =
      probe::findInk(shot, {{400, 196}, {480, 52}}, winPanel(board, 400, 250).colour);
  EXPECT_TRUE(probe::centredOn(title, 640.f, 3.f));
  // The list starts at 390 under the banner: one line at 408, the current
  // level's, in amber; no line for the levels never won.
  const probe::Ink line = listLine(shot, 408);
  ASSERT_TRUE(line.found);
  EXPECT_TRUE(amber(line.brightest)) << line;
  EXPECT_FALSE(listLine(shot, 424).found) << listLine(shot, 424);

  // A slower run ("SPILL NIVÅ 1 IGJEN"): no banner, and the list 26 pixels higher.
  test::press(game, {Key::Down, Key::Enter});
  probe::play(game, probe::kLevelOneSolution, 130);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
  ASSERT_GT(game.elapsedTime, game.bestRecords[0].bestTime);
  const sf::Image slower = test::capture(game, "win-slower");
  probe::expectPixels(slower, {winPanel(probe::boardBeneath(game), 421, 362)});
  ASSERT_TRUE(listLine(slower, 382).found);
  EXPECT_TRUE(amber(listLine(slower, 382).brightest));
  EXPECT_FALSE(listLine(slower, 408).found);
}

TEST(WinOverlay, BestTimesOnTheTitleAndInTheList) {
  Game game;
  winLevel(game, Key::Num1);
  toTitle(game);
  // On the title only the won level's row shows its time, in amber, from x = 790.
  const sf::Image title = test::capture(game, "title-best");
  for (int i = 0; i < 5; ++i) {
    const auto y = static_cast<int>(rowTop(i));
    const sf::Color box = title.getPixel({782, static_cast<unsigned>(y + 10)});
    const probe::Ink time = probe::findInk(title, {{788, y + 16}, {90, 24}}, box);
    EXPECT_EQ(time.found, i == 0) << "row " << i;
    EXPECT_TRUE(!time.found || (amber(time.brightest) && time.left >= 790)) << time;
  }
  // First completion of level 3: the banner again; the list has "LEVEL 1" in
  // faint snow white, then "LEVEL 3", the current level, in amber, and
  // nothing for the levels never won.
  winLevel(game, Key::Num3);
  const sf::Image shot = test::capture(game, "win-level-3");
  const sf::Image board = probe::boardBeneath(game);
  probe::expectPixels(shot, {winPanel(board, 421, 362) + kBanner});
  const probe::Ink first = listLine(shot, 408);
  ASSERT_TRUE(first.found);
  EXPECT_FALSE(amber(first.brightest)) << first;
  EXPECT_GE(first.brightest.b, first.brightest.r);
  const probe::Ink second = listLine(shot, 424);
  ASSERT_TRUE(second.found);
  EXPECT_TRUE(amber(second.brightest)) << second;
  EXPECT_FALSE(listLine(shot, 440).found) << listLine(shot, 440);

  // The last level's three-item menu starts at T + 176, on the banner.
  toTitle(game);
  winLevel(game, Key::Num5);
  const sf::Image last = test::capture(game, "win-level-5");
  const sf::Image lastBoard = probe::boardBeneath(game);
  probe::expectPixels(
      last, {winPanel(lastBoard, 455, 352), winPanel(lastBoard, 455, 360) + kBanner + kSelectedItem,
             winPanel(lastBoard, 455, 518) + kItem, winPanel(lastBoard, 455, 525)});
}

}  // namespace
