#include <gtest/gtest.h>

#include "app/Game.h"
#include "render/Hud.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

TEST(FormatTime, MinutesColonSecondsWithTwoDecimals) {
  EXPECT_EQ(formatTime(0.f), "0:00.00");
  EXPECT_EQ(formatTime(5.5f), "0:05.50");
  EXPECT_EQ(formatTime(75.25f), "1:15.25");
  EXPECT_EQ(formatTime(600.f), "10:00.00");
  EXPECT_EQ(formatTime(3600.f), "60:00.00");
}

TEST(FormatTime, RoundsToHundredthsBeforeSplittingMinutes) {
  EXPECT_EQ(formatTime(59.996f), "1:00.00");
  EXPECT_EQ(formatTime(59.994f), "0:59.99");
  EXPECT_EQ(formatTime(7.5f), "0:07.50");
  EXPECT_EQ(formatTime(65.25f), "1:05.25");
}

TEST(HudRefresh, BuildsTheFourTexts) {
  Hud hud;
  EXPECT_EQ(hud.timeText, "0:00");
  EXPECT_EQ(hud.bestText, "--:--");

  hud.refresh(42.17f, 12, "LEVEL 3", BestRecord{});
  EXPECT_EQ(hud.timeText, "0:42.17");
  EXPECT_EQ(hud.movesText, "12");
  EXPECT_EQ(hud.levelText, "LEVEL 3");
  EXPECT_EQ(hud.bestText, "--:--");

  hud.refresh(75.25f, -3, "LEVEL 5", BestRecord{61.5f, true});
  EXPECT_EQ(hud.timeText, "1:15.25");
  EXPECT_EQ(hud.movesText, "-3");
  EXPECT_EQ(hud.levelText, "LEVEL 5");
  EXPECT_EQ(hud.bestText, "1:01.50");
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
  // Labels sit at y = 8 in size 10, values at y = 24 in size 18; a column's
  // ink is centred on its x, give or take the glyphs' side bearings (the
  // layout centres the text's bounds, not its ink).
  const float centres[] = {w * 0.12f, w * 0.26f, w * 0.74f, w * 0.88f};
  for (const float cx : centres) {
    const int left = static_cast<int>(cx) - 70;
    const probe::Ink label = probe::findInk(shot, {{left, 8}, {140, 14}}, band);
    ASSERT_TRUE(label.found) << "label at " << cx;
    EXPECT_NEAR(label.centreX(), cx, 4.f) << "label at " << cx;
  }
  for (const float cx : {centres[0], centres[1], centres[2]}) {
    const int left = static_cast<int>(cx) - 90;
    const probe::Ink value = probe::findInk(shot, {{left, 26}, {180, 26}}, band);
    ASSERT_TRUE(value.found) << "value at " << cx;
    EXPECT_NEAR(value.centreX(), cx, 4.f) << "value at " << cx;
  }
  // "LYD" has no value line.
  const int lydLeft = static_cast<int>(centres[3]) - 90;
  EXPECT_FALSE(probe::findInk(shot, {{lydLeft, 26}, {180, 26}}, band).found);
  // The value colours: blue for time and moves, amber for the best time.
  const probe::Ink best =
      probe::findInk(shot, {{static_cast<int>(centres[2]) - 90, 26}, {180, 26}}, band);
  EXPECT_GT(best.brightest.r, best.brightest.b);
  const probe::Ink time =
      probe::findInk(shot, {{static_cast<int>(centres[0]) - 90, 26}, {180, 26}}, band);
  EXPECT_GT(time.brightest.b, time.brightest.r);
}

TEST(StatusBar, BandRuleAndColumnsFollowTheWindowWidth) {
  Game game;
  test::press(game, Key::Num1);
  test::advance(game, 0.05f, 2);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "status-bar-1280");
  expectStatusBar(shot, 1280.f);

  // Full screen on the 1920x1080 test display: the bar spans the new width.
  test::press(game, Key::F11);
  ASSERT_EQ(game.window.getSize().x, 1920u);
  test::advance(game, 0.05f);
  const sf::Image wide = test::capture(game);
  test::saveForInspection(wide, "status-bar-1920");
  expectStatusBar(wide, 1920.f);
}

TEST(StatusBar, DrawsBandWithoutFonts) {
  Game game(probe::missingFonts());
  ASSERT_FALSE(game.fontsLoaded);
  test::press(game, Key::Num1);
  test::advance(game, 0.05f);
  const sf::Image shot = test::capture(game);
  EXPECT_TRUE(test::colourNear(shot, 154, 30, bandOver(154, 30)));
  EXPECT_TRUE(test::colourNear(shot, 640, 30, bandOver(640, 30)));
  EXPECT_TRUE(test::colourNear(shot, 1000, 55,
                               test::blend(bandOver(1000, 55), sf::Color(55, 138, 221, 28))));
}

}  // namespace
