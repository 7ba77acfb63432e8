// The time format, the status bar's texts, and the bar as drawn at two widths.
#include <gtest/gtest.h>

#include "app/Game.h"
#include "render/Hud.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

TEST(FormatTime, MinutesColonSecondsRoundedToHundredths) {
  for (const auto& [seconds, text] : {std::pair{0.f, "0:00.00"},
                                      {5.5f, "0:05.50"},
                                      {7.5f, "0:07.50"},
                                      {65.25f, "1:05.25"},
                                      {75.25f, "1:15.25"},
                                      {600.f, "10:00.00"},
                                      {3600.f, "60:00.00"},
                                      {59.996f, "1:00.00"},
                                      {59.994f, "0:59.99"}}) {
    EXPECT_EQ(formatTime(seconds), text) << seconds;
  }
}

TEST(HudRefresh, BuildsTheFourTexts) {
  Hud hud;
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
    ASSERT_TRUE(label.found) << "label at " << cx;
    EXPECT_NEAR(label.centreX(), cx, 4.f) << "label at " << cx;
  }
  for (const float cx : {centres[0], centres[1], centres[2]}) {
    ASSERT_TRUE(value(cx).found) << "value at " << cx;
    EXPECT_NEAR(value(cx).centreX(), cx, 4.f) << "value at " << cx;
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
  ASSERT_TRUE(word.found);
  EXPECT_NEAR(word.centreX(), 960.f, 6.f);
}

}  // namespace
