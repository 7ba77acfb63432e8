// The board, its walls, markers and trail, and the figure, in real frames.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

const sf::Color kWall(26, 58, 92, 255);
const sf::Color kBody(55, 138, 221, 255);

// A one-pixel line drawn on a whole-pixel coordinate may land on either side
// of it; one of the two pixels must hold the wall colour.
bool wallAcross(const sf::Image& shot, unsigned x, unsigned y, bool vertical) {
  return test::colourNear(shot, x, y, kWall) ||
         test::colourNear(shot, vertical ? x - 1 : x, vertical ? y : y - 1, kWall);
}

bool bodyAt(const sf::Image& shot, float x) {
  return test::colourNear(shot, static_cast<unsigned>(x), 196, kBody);
}

TEST(Board, FiveLevelsArePlacedInTheWindow) {
  struct Placement {
    Key key;
    float x, y, width, height;
  };
  const Placement placements[] = {{Key::Num1, 352, 164, 576, 448},
                                  {Key::Num2, 332, 136, 616, 504},
                                  {Key::Num3, 328, 124, 624, 528},
                                  {Key::Num4, 325, 115, 630, 546},
                                  {Key::Num5, 334, 118, 612, 540}};
  for (const Placement& p : placements) {
    SCOPED_TRACE(static_cast<int>(p.key));
    Game game;
    test::press(game, p.key);
    EXPECT_EQ(game.boardOffset, sf::Vector2f(p.x, p.y));
    const sf::Image shot = test::capture(game);
    const auto left = static_cast<unsigned>(p.x);
    const auto top = static_cast<unsigned>(p.y);
    const auto right = static_cast<unsigned>(p.x + p.width);
    const auto bottom = static_cast<unsigned>(p.y + p.height);
    // The border runs along all four edges, and nothing of the board lies outside it.
    EXPECT_TRUE(wallAcross(shot, left + 5, top, false));
    EXPECT_TRUE(wallAcross(shot, right - 5, bottom, false));
    EXPECT_TRUE(wallAcross(shot, left, bottom - 5, true));
    EXPECT_TRUE(wallAcross(shot, right, top + 5, true));
    for (const auto& [x, y] : {std::pair{left - 3, top + 20}, std::pair{right + 3, bottom - 20},
                               std::pair{left + 20, bottom + 3}}) {
      EXPECT_TRUE(test::colourNear(shot, x, y, probe::backdrop(x, y))) << x << "," << y;
    }
  }
}

TEST(Board, LevelOneWallsFollowTheBoard) {
  Game game;
  test::press(game, Key::Num1);
  ASSERT_EQ(test::eastWalls(game.board), test::kLevelOneEast);
  ASSERT_EQ(test::southWalls(game.board), test::kLevelOneSouth);
  const sf::Image shot = test::capture(game, "level-1");
  const unsigned t = 64;
  for (unsigned r = 0; r < 7; ++r) {
    for (unsigned c = 0; c < 9; ++c) {
      // Probe a quarter along each side, away from the figure at (0, 0).
      const unsigned x = 352 + c * t;
      const unsigned y = 164 + r * t;
      if (c < 8) {
        EXPECT_EQ(wallAcross(shot, x + t, y + t * 3 / 4, true), test::kLevelOneEast[r][c] == '1')
            << "east wall of " << r << "," << c;
      }
      if (r < 6) {
        EXPECT_EQ(wallAcross(shot, x + t * 3 / 4, y + t, false), test::kLevelOneSouth[r][c] == '1')
            << "south wall of " << r << "," << c;
      }
    }
  }
}

TEST(Board, EdgeFlagsLeaveNoMarkBesideTheBorder) {
  // The last column's east flags and the last row's south flags are all set;
  // clearing them must not change a single pixel: the border alone closes
  // the board there.
  Game game;
  test::press(game, Key::Num1);
  Board open = game.board;
  for (auto& row : open) {
    row.back().eastWall = false;
  }
  for (auto& cell : open.back()) {
    cell.southWall = false;
  }
  const auto wallsOnly = [&game](const Board& board) {
    game.window.clear(sf::Color::Black);
    game.drawWalls(board, game.columns, game.rows, game.tileSize, game.boardOffset);
    return test::grab(game.window);
  };
  const sf::Image withFlags = wallsOnly(game.board);
  EXPECT_TRUE(wallAcross(withFlags, 928, 500, true)) << "the right border";
  const sf::Image withoutFlags = wallsOnly(open);
  EXPECT_TRUE(std::equal(withFlags.getPixelsPtr(), withFlags.getPixelsPtr() + 1280 * 720 * 4,
                         withoutFlags.getPixelsPtr()));
}

TEST(Board, GoalMarkerAndCheckerTint) {
  Game game;
  test::press(game, Key::Num1);
  const sf::Image shot = test::capture(game);
  // The goal cell (6, 8): centre (896, 580), k = 64 * 0.18 = 11.52.
  EXPECT_TRUE(test::colourNear(shot, 896, 580, sf::Color::White));
  EXPECT_TRUE(test::colourNear(shot, 903, 580, sf::Color(29, 158, 117)));
  const sf::Color goalSquare = probe::boardUnderlay(game, 911, 580);
  EXPECT_TRUE(test::colourNear(shot, 911, 580, test::blend(goalSquare, {29, 158, 117, 50})));
  EXPECT_TRUE(test::colourNear(shot, 870, 555, probe::boardUnderlay(game, 870, 555)));
  // Cells with r + c even carry alpha 11, odd ones alpha 6: (3, 3) and (3, 4).
  EXPECT_TRUE(
      test::colourNear(shot, 576, 388, test::blend(probe::backdrop(576, 388), {55, 138, 221, 11})));
  EXPECT_TRUE(
      test::colourNear(shot, 650, 388, test::blend(probe::backdrop(650, 388), {55, 138, 221, 6})));
  EXPECT_NE(shot.getPixel({576, 388}), shot.getPixel({650, 388}));
}

TEST(Figure, BodyAndHaloAtRest) {
  Game game;
  test::press(game, Key::Num1);
  ASSERT_EQ(game.idlePhase, 0.f);
  const sf::Image shot = test::capture(game);
  // At rest on (0, 0): centre (384, 196), r = 17.92, halo R = 44.8 with
  // sin(0) = 0: rings of alpha 0 (radius 44.8), 8 (29.87) and 16 (14.93,
  // hidden under the body).
  EXPECT_TRUE(bodyAt(shot, 384 + 13));
  EXPECT_TRUE(bodyAt(shot, 384 - 13));
  EXPECT_TRUE(test::colourNear(shot, 384, 196, test::blend(kBody, sf::Color(220, 240, 255, 242))));
  EXPECT_TRUE(test::colourNear(
      shot, 384 + 24, 196, test::blend(probe::boardUnderlay(game, 408, 196), {55, 138, 221, 8})));
  EXPECT_TRUE(test::colourNear(shot, 384 + 37, 196, probe::boardUnderlay(game, 421, 196)));
}

TEST(Figure, EasedAlongTheSlideWithARingThatEndsWithIt) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::Right);  // (0, 0) to (0, 3): x from 384 to 576 on y = 196
  // A quarter of the time covers an eighth of the way (2 p^2), half the time
  // half the way.
  for (const auto& [progress, x] : {std::pair{0.25f, 384.f + 192.f * 0.125f}, {0.5f, 480.f}}) {
    SCOPED_TRACE(progress);
    test::advance(game, 0.0325f);
    ASSERT_NEAR(game.slideProgress, progress, 1e-4f);
    EXPECT_NEAR(game.playerPosition().x, x, 0.05f);
    EXPECT_NEAR(game.playerPosition().y, 196.f, 0.05f);
    game.effects = {};  // the sparks of the slide's end, out of the way
    const sf::Image shot = test::capture(game);
    EXPECT_TRUE(bodyAt(shot, x + 13));
    EXPECT_TRUE(bodyAt(shot, x - 13));
    EXPECT_FALSE(bodyAt(shot, x + 37));
    EXPECT_FALSE(bodyAt(shot, x - 37));
  }
  // With sin(phase) = 1 while sliding, the halo's rings have alphas 0, 33
  // and 66, out to 1.17 r: 18.5 pixels left of the centre all three lie over
  // the board.
  game.idlePhase = 1.5707964f;
  const sf::Image glow = test::capture(game);
  sf::Color halo = probe::boardUnderlay(game, 461, 196);
  for (const std::uint8_t alpha : {0, 33, 66}) {
    halo = test::blend(halo, {55, 138, 221, alpha});
  }
  EXPECT_TRUE(test::colourNear(glow, 461, 196, halo));
  // Near the end the ring is there: u = 2 fmod(progress, 0.5), radius (2.5 u + 1.2) r.
  test::advance(game, 0.035f);
  ASSERT_TRUE(game.sliding);
  const float r = 64.f * 0.28f;
  const float ringRadius = (2.f * std::fmod(game.slideProgress, 0.5f) * 2.5f + 1.2f) * r + 0.75f;
  const auto ringX = static_cast<unsigned>(game.playerPosition().x);
  const auto ringY = static_cast<unsigned>(196.f - ringRadius);
  const sf::Image sliding = test::capture(game);
  EXPECT_FALSE(
      test::colourNear(sliding, ringX, ringY, probe::boardUnderlay(game, ringX, ringY), 6));

  // In the frame the slide ends the figure rests on (0, 3) at (576, 196),
  // and where the ring would lie at 1.2 r only the halo shows.
  test::advance(game, 0.05f);
  ASSERT_FALSE(game.sliding);
  game.effects = {};
  const sf::Image shot = test::capture(game);
  const auto ringAlpha =
      static_cast<std::uint8_t>((1.f / 3.f) * (std::sin(game.idlePhase) * 0.1f + 0.25f) * 100.f);
  for (const auto& [x, y] : {std::pair{598u, 196u}, std::pair{576u, 174u}, std::pair{554u, 196u}}) {
    EXPECT_TRUE(test::colourNear(
        shot, x, y, test::blend(probe::boardUnderlay(game, x, y), {55, 138, 221, ringAlpha})))
        << x << "," << y;
  }
  EXPECT_TRUE(bodyAt(shot, 576 + 13));
}

TEST(Trail, OneEntryAndTwentyFourEntries) {
  Game game;
  test::press(game, Key::Num1);
  const auto trailOnly = [&game](const std::vector<GridCell>& cells) {
    game.window.clear(test::kClearColour);
    game.drawTrail(cells, 64.f, game.boardOffset);
    return test::grab(game.window);
  };
  const sf::Color clear = test::kClearColour;
  // One entry on (3, 4), at a = 0.08: base alpha 10, inner square 4, no dot.
  const sf::Image one = trailOnly({GridCell{3, 4}});
  const unsigned x = 352 + 4 * 64;
  const unsigned y = 164 + 3 * 64;
  const sf::Color base = test::blend(clear, {55, 138, 221, 10});
  EXPECT_TRUE(test::colourNear(one, x + 5, y + 5, base));
  EXPECT_TRUE(test::colourNear(one, x + 20, y + 40, test::blend(base, {168, 216, 248, 4})));
  EXPECT_TRUE(test::colourNear(one, x + 32, y + 32, test::blend(base, {168, 216, 248, 4})));
  EXPECT_TRUE(test::colourNear(one, x - 5, y + 5, clear));
  EXPECT_TRUE(test::colourNear(one, x + 5, y + 70, clear));

  // 24 entries along the rows: the newest, (2, 5), at a = 0.63 has base 80,
  // inner 32 and a dot of radius 6.4 and alpha 112; the oldest, (0, 0), is
  // drawn like a lone entry.
  std::vector<GridCell> cells;
  for (int i = 0; i < 24; ++i) {
    cells.push_back({i / 9, i % 9});
  }
  const sf::Image many = trailOnly(cells);
  const unsigned nx = 352 + 5 * 64;
  const unsigned ny = 164 + 2 * 64;
  const sf::Color newest = test::blend(clear, {55, 138, 221, 80});
  const sf::Color inner = test::blend(newest, {168, 216, 248, 32});
  EXPECT_TRUE(test::colourNear(many, nx + 5, ny + 5, newest));
  EXPECT_TRUE(test::colourNear(many, nx + 20, ny + 40, inner));
  EXPECT_TRUE(test::colourNear(many, nx + 36, ny + 32, test::blend(inner, {55, 138, 221, 112})));
  EXPECT_TRUE(test::colourNear(many, nx + 41, ny + 32, inner));
  EXPECT_TRUE(test::colourNear(many, 352 + 5, 164 + 5, base));
  EXPECT_TRUE(test::colourNear(many, 352 + 32, 164 + 32, test::blend(base, {168, 216, 248, 4})));
}

TEST(Trail, PlayedTrailKeepsTheNewestTwentyFour) {
  Game game;
  test::press(game, Key::Num1);
  // Right, then down and up the open fourth column: 3 + 5 x 5 cells left.
  probe::play(game, {Key::Right, Key::Down, Key::Up, Key::Down, Key::Up, Key::Down}, 100);
  ASSERT_EQ(game.trail.size(), 24u);
  EXPECT_EQ(game.trail.back(), (GridCell{4, 3}));
  const sf::Image shot = test::capture(game, "trail-24");
  // Every entry of a cell stacks its square; the three dropped ones are gone.
  for (const auto& [x, y] : {std::pair{550u, 430u}, std::pair{550u, 175u}, std::pair{400u, 175u},
                             std::pair{465u, 175u}}) {
    EXPECT_TRUE(test::colourNear(shot, x, y, probe::boardUnderlay(game, x, y))) << x << "," << y;
  }
  EXPECT_NE(shot.getPixel({550, 430}), shot.getPixel({465, 430}));
}

}  // namespace
