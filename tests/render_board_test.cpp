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
  const unsigned x2 = vertical ? x - 1 : x;
  const unsigned y2 = vertical ? y : y - 1;
  return test::colourNear(shot, x, y, kWall) || test::colourNear(shot, x2, y2, kWall);
}

Game& started(Game& game, Key digit) {
  test::press(game, digit);
  EXPECT_EQ(game.state, GameState::Playing);
  return game;
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
    Game game;
    started(game, p.key);
    EXPECT_EQ(game.boardOffset, sf::Vector2f(p.x, p.y));
    const sf::Image shot = test::capture(game);
    const auto left = static_cast<unsigned>(p.x);
    const auto top = static_cast<unsigned>(p.y);
    const auto right = static_cast<unsigned>(p.x + p.width);
    const auto bottom = static_cast<unsigned>(p.y + p.height);
    // The border runs along all four edges ...
    EXPECT_TRUE(wallAcross(shot, left + 5, top, false)) << "top, level key " << int(p.key);
    EXPECT_TRUE(wallAcross(shot, right - 5, bottom, false)) << "bottom";
    EXPECT_TRUE(wallAcross(shot, left, bottom - 5, true)) << "left";
    EXPECT_TRUE(wallAcross(shot, right, top + 5, true)) << "right";
    // ... and nothing of the board lies outside it.
    EXPECT_TRUE(test::colourNear(shot, left - 3, top + 20, probe::backdrop(left - 3, top + 20)));
    EXPECT_TRUE(
        test::colourNear(shot, right + 3, bottom - 20, probe::backdrop(right + 3, bottom - 20)));
    EXPECT_TRUE(
        test::colourNear(shot, left + 20, bottom + 3, probe::backdrop(left + 20, bottom + 3)));
  }
}

TEST(Board, LevelOneWallsFollowTheBoard) {
  // Level 1 as east and south flags, row by row, 1 meaning a wall.
  const char* east[] = {"000110101", "001101011", "101100001", "001110101",
                        "001110001", "000100001", "000000001"};
  const char* south[] = {"111000000", "010011110", "011001110", "110000101",
                         "011001111", "011111110", "111111111"};
  Game game;
  started(game, Key::Num1);
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "level-1");
  const unsigned ox = 352;
  const unsigned oy = 164;
  const unsigned t = 64;
  for (unsigned r = 0; r < 7; ++r) {
    for (unsigned c = 0; c < 9; ++c) {
      ASSERT_EQ(game.board[r][c].eastWall, east[r][c] == '1') << r << "," << c;
      ASSERT_EQ(game.board[r][c].southWall, south[r][c] == '1') << r << "," << c;
      // Probe a quarter along each side, away from the figure at (0, 0).
      const unsigned x = ox + c * t;
      const unsigned y = oy + r * t;
      if (c < 8) {
        EXPECT_EQ(wallAcross(shot, x + t, y + t * 3 / 4, true), east[r][c] == '1')
            << "east wall of " << r << "," << c;
      }
      if (r < 6) {
        EXPECT_EQ(wallAcross(shot, x + t * 3 / 4, y + t, false), south[r][c] == '1')
            << "south wall of " << r << "," << c;
      }
    }
  }
}

TEST(Board, EdgeFlagsLeaveNoMarkBesideTheBorder) {
  // The last column's east flags and the last row's south flags are all set;
  // clearing them must not change a single pixel, the border alone closes
  // the board there.
  Game game;
  started(game, Key::Num1);
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
    sf::Texture texture(game.window.getSize());
    texture.update(game.window);
    return texture.copyToImage();
  };
  const sf::Image withFlags = wallsOnly(game.board);
  const sf::Image withoutFlags = wallsOnly(open);
  unsigned differing = 0;
  for (unsigned y = 0; y < 720; ++y) {
    for (unsigned x = 0; x < 1280; ++x) {
      differing += withFlags.getPixel({x, y}) != withoutFlags.getPixel({x, y}) ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0u);
  // Both show the right border.
  EXPECT_TRUE(wallAcross(withFlags, 928, 500, true));
}

TEST(Board, GoalMarkerAndCheckerTint) {
  Game game;
  started(game, Key::Num1);
  const sf::Image shot = test::capture(game);
  // The goal cell (6, 8): centre (896, 580), k = 64 * 0.18 = 11.52.
  EXPECT_TRUE(test::colourNear(shot, 896, 580, sf::Color::White));
  EXPECT_TRUE(test::colourNear(shot, 903, 580, sf::Color(29, 158, 117)));
  const sf::Color goalSquare = probe::boardUnderlay(game, 911, 580);
  EXPECT_TRUE(test::colourNear(shot, 911, 580, test::blend(goalSquare, {29, 158, 117, 50})));
  EXPECT_TRUE(test::colourNear(shot, 870, 555, probe::boardUnderlay(game, 870, 555)));
  // Cells with r + c even carry alpha 11, odd ones alpha 6.
  const sf::Color even = test::blend(probe::backdrop(576, 388), {55, 138, 221, 11});
  const sf::Color odd = test::blend(probe::backdrop(650, 388), {55, 138, 221, 6});
  EXPECT_TRUE(test::colourNear(shot, 576, 388, even));  // (3, 3)
  EXPECT_TRUE(test::colourNear(shot, 650, 388, odd));   // (3, 4)
  EXPECT_NE(shot.getPixel({576, 388}), shot.getPixel({650, 388}));
}

TEST(Figure, BodyAndHaloAtRest) {
  Game game;
  started(game, Key::Num1);
  ASSERT_EQ(game.idlePhase, 0.f);
  const sf::Image shot = test::capture(game);
  // At rest on (0, 0): centre (384, 196), r = 17.92, halo R = 44.8 with
  // sin(0) = 0: rings of alpha 0 (radius 44.8), 8 (29.87) and 16 (14.93,
  // hidden under the body).
  EXPECT_TRUE(test::colourNear(shot, 384 + 13, 196, kBody));
  EXPECT_TRUE(test::colourNear(shot, 384 - 13, 196, kBody));
  EXPECT_TRUE(test::colourNear(shot, 384, 196, test::blend(kBody, sf::Color(220, 240, 255, 242))));
  EXPECT_TRUE(test::colourNear(
      shot, 384 + 24, 196, test::blend(probe::boardUnderlay(game, 408, 196), {55, 138, 221, 8})));
  EXPECT_TRUE(test::colourNear(shot, 384 + 37, 196, probe::boardUnderlay(game, 421, 196)));
}

TEST(Figure, EasedAlongTheSlide) {
  Game game;
  started(game, Key::Num1);
  test::press(game, Key::Right);  // (0, 0) to (0, 3): x from 384 to 576 on y = 196
  ASSERT_TRUE(game.sliding);
  // A quarter of the time covers an eighth of the way (2 p^2) ...
  test::advance(game, 0.0325f);
  ASSERT_NEAR(game.slideProgress, 0.25f, 1e-4f);
  EXPECT_NEAR(game.playerPosition().x, 384.f + 192.f * 0.125f, 0.05f);
  game.effects = {};  // the sparks of the slide's end, out of the way
  const sf::Image quarter = test::capture(game);
  EXPECT_TRUE(test::colourNear(quarter, 408 + 13, 196, kBody));
  EXPECT_TRUE(test::colourNear(quarter, 408 - 13, 196, kBody));
  EXPECT_FALSE(test::colourNear(quarter, 432 + 13, 196, kBody));

  // ... and half the time half the way.
  test::advance(game, 0.0325f);
  ASSERT_TRUE(game.sliding);
  ASSERT_NEAR(game.slideProgress, 0.5f, 1e-4f);
  EXPECT_NEAR(game.playerPosition().x, 480.f, 0.05f);
  EXPECT_NEAR(game.playerPosition().y, 196.f, 0.05f);
  game.effects = {};
  const sf::Image half = test::capture(game);
  test::saveForInspection(half, "mid-slide");
  EXPECT_TRUE(test::colourNear(half, 480 + 13, 196, kBody));
  EXPECT_TRUE(test::colourNear(half, 480 - 13, 196, kBody));
  EXPECT_FALSE(test::colourNear(half, 384 + 13, 196, kBody));
  EXPECT_FALSE(test::colourNear(half, 576 - 13, 196, kBody));
}

TEST(Figure, NoSlideRingOnTheFrameTheSlideEnds) {
  Game game;
  started(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, 0.05f, 2);
  ASSERT_TRUE(game.sliding);
  // One frame before the end the ring is there: u = 2 fmod(0.769, 0.5).
  game.effects = {};
  const float r = 64.f * 0.28f;
  const sf::Vector2f before = game.playerPosition();
  const float u = 2.f * std::fmod(game.slideProgress, 0.5f);
  const float ringRadius = (u * 2.5f + 1.2f) * r + 0.75f;
  const sf::Image sliding = test::capture(game);
  const auto ringX = static_cast<unsigned>(before.x);
  const auto ringY = static_cast<unsigned>(before.y - ringRadius);
  EXPECT_FALSE(test::colourNear(sliding, ringX, ringY, probe::boardUnderlay(game, ringX, ringY), 6))
      << "the ring while sliding";

  test::advance(game, 0.05f);
  ASSERT_FALSE(game.sliding);
  ASSERT_EQ(game.playerCol, 3);
  game.effects = {};
  const sf::Image shot = test::capture(game);
  // At rest on (0, 3), centre (576, 196); the ring would lie at 1.2 r = 21.5.
  const float s = std::sin(game.idlePhase);
  const auto ringAlpha = static_cast<std::uint8_t>((1.f / 3.f) * (s * 0.1f + 0.25f) * 100.f);
  for (const auto& [x, y] : {std::pair{598u, 196u}, std::pair{576u, 174u}, std::pair{554u, 196u}}) {
    EXPECT_TRUE(test::colourNear(
        shot, x, y, test::blend(probe::boardUnderlay(game, x, y), {55, 138, 221, ringAlpha})))
        << x << "," << y;
  }
  EXPECT_TRUE(test::colourNear(shot, 576 + 13, 196, kBody));
}

// The trail drawn by itself over the plain clear colour.
sf::Image trailOnly(Game& game, const std::vector<GridCell>& cells, float tile,
                    sf::Vector2f offset) {
  game.window.clear(test::kClearColour);
  game.drawTrail(cells, tile, offset);
  sf::Texture texture(game.window.getSize());
  texture.update(game.window);
  return texture.copyToImage();
}

TEST(Trail, OneEntryAtBaseAlphaWithoutDot) {
  // Every first move on level 1 passes three cells, so the one-entry trail
  // is drawn on its own.
  Game game;
  started(game, Key::Num1);
  const sf::Image shot = trailOnly(game, {GridCell{3, 4}}, 64.f, game.boardOffset);
  const unsigned x = 352 + 4 * 64;
  const unsigned y = 164 + 3 * 64;
  const sf::Color base = test::blend(test::kClearColour, {55, 138, 221, 10});
  const sf::Color inner = test::blend(base, {168, 216, 248, 4});
  EXPECT_TRUE(test::colourNear(shot, x + 5, y + 5, base));
  EXPECT_TRUE(test::colourNear(shot, x + 20, y + 40, inner));
  EXPECT_TRUE(test::colourNear(shot, x + 32, y + 32, inner));  // no dot on the centre
  EXPECT_TRUE(test::colourNear(shot, x - 5, y + 5, test::kClearColour));
  EXPECT_TRUE(test::colourNear(shot, x + 5, y + 70, test::kClearColour));
}

TEST(Trail, NewestOfTwentyFourIsStrongestWithItsDot) {
  Game game;
  started(game, Key::Num1);
  std::vector<GridCell> cells;
  for (int i = 0; i < 24; ++i) {
    cells.push_back({i / 9, i % 9});
  }
  const sf::Image shot = trailOnly(game, cells, 64.f, game.boardOffset);
  // Newest: (2, 5) at a = 0.63: base 80, inner 32, dot 112 of radius 6.4.
  const unsigned x = 352 + 5 * 64;
  const unsigned y = 164 + 2 * 64;
  const sf::Color base = test::blend(test::kClearColour, {55, 138, 221, 80});
  const sf::Color inner = test::blend(base, {168, 216, 248, 32});
  EXPECT_TRUE(test::colourNear(shot, x + 5, y + 5, base));
  EXPECT_TRUE(test::colourNear(shot, x + 20, y + 40, inner));
  EXPECT_TRUE(test::colourNear(shot, x + 32 + 4, y + 32, test::blend(inner, {55, 138, 221, 112})));
  EXPECT_TRUE(test::colourNear(shot, x + 32 + 9, y + 32, inner));
  // Oldest: (0, 0) at base alpha 10 and without a dot.
  const sf::Color oldest = test::blend(test::kClearColour, {55, 138, 221, 10});
  EXPECT_TRUE(test::colourNear(shot, 352 + 5, 164 + 5, oldest));
  EXPECT_TRUE(test::colourNear(shot, 352 + 32, 164 + 32, test::blend(oldest, {168, 216, 248, 4})));
}

TEST(Trail, PlayedTrailKeepsTheNewestTwentyFour) {
  Game game;
  started(game, Key::Num1);
  // Right, then down and up the open fourth column: 3 + 5 x 5 cells left.
  probe::play(game, {Key::Right, Key::Down, Key::Up, Key::Down, Key::Up, Key::Down}, 100);
  ASSERT_EQ(game.state, GameState::Playing);
  ASSERT_EQ(game.trail.size(), 24u);
  EXPECT_EQ(game.trail.back(), (GridCell{4, 3}));
  const sf::Image shot = test::capture(game);
  test::saveForInspection(shot, "trail-24");
  // Every entry of a cell stacks its square; the three dropped ones are gone.
  for (const auto& [x, y] : {std::pair{550u, 430u}, std::pair{550u, 175u}, std::pair{400u, 175u},
                             std::pair{465u, 175u}}) {
    EXPECT_TRUE(test::colourNear(shot, x, y, probe::boardUnderlay(game, x, y))) << x << "," << y;
  }
  EXPECT_NE(shot.getPixel({550, 430}), shot.getPixel({465, 430}));
}

}  // namespace
