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
      {65.25f, "1:05.25"}, {600.f, "10:00.00"}, {59.996f, "1:00.00"}, {59.994f, "0:59.99"}};
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
}

// Wins the level of the digit key and closes the name prompt, so the win
// overlay stands alone; the frames after each move let the sparks fade.
void winLevel(Game& game, Key digit, int settleFrames = 100) {
  probe::winLevel(game, digit, settleFrames);
  ASSERT_EQ(game.state, GameState::Won);
  test::press(game, Key::Escape);
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
}

TEST(TitleScreen, BestTimeOfTheWonLevel) {
  Game game;
  winLevel(game, Key::Num1);
  test::press(game, {Key::Down, Key::Down, Key::Enter});  // "VELG NIVÅ"
  ASSERT_EQ(game.state, GameState::Menu);
  // On the title only the won level's row shows its time, in amber, from x = 790.
  const sf::Image title = test::capture(game, "title-best");
  for (int i = 0; i < 5; ++i) {
    const auto y = static_cast<int>(rowTop(i));
    const sf::Color box = title.getPixel({782, static_cast<unsigned>(y + 10)});
    const probe::Ink time = probe::findInk(title, {{788, y + 16}, {90, 24}}, box);
    EXPECT_EQ(time.found, i == 0) << "row " << i;
    EXPECT_TRUE(!time.found || (amber(time.brightest) && time.left >= 790)) << time;
  }
}

}  // namespace
