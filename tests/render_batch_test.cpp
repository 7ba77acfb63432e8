// The frame draws in batches and keeps its texts laid out between frames; its
// pixels must be exactly those of drawing every shape on its own, in the
// frame's layer order. The reference draws the board, effects and confetti
// shape by shape over the backdrop sprite (this is the pixel check of those
// layers), and records the game's status bar, screens and overlays into a
// canvas of its own, where every text is laid out afresh.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "bench/Scenes.h"
#include "render/Draw.h"
#include "render/Look.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

const sf::Color kIceBlue(55, 138, 221, 255);
const sf::Color kFrost(168, 216, 248, 255);
const sf::Color kMarkerGreen(29, 158, 117, 255);
const sf::Color kWall(26, 58, 92, 255);

sf::Color alpha(sf::Color colour, int value) {
  colour.a = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
  return colour;
}

sf::Color effectColour(sf::Color colour, float value) {
  colour.a = effectAlpha(value);
  return colour;
}

// The game's own one-shape helpers: the reference draws every shape with them.
using draw::circle;
using draw::rect;

void line(sf::RenderTarget& target, sf::Vector2f from, sf::Vector2f to) {
  sf::VertexArray wall(sf::PrimitiveType::Lines, 2);
  wall[0] = sf::Vertex{from, kWall};
  wall[1] = sf::Vertex{to, kWall};
  target.draw(wall);
}

sf::Vector2f corner(const Game& game, int row, int column) {
  return {game.boardOffset.x + static_cast<float>(column) * game.tileSize,
          game.boardOffset.y + static_cast<float>(row) * game.tileSize};
}

// The board, effects, player and confetti one shape at a time.
void drawBoard(Game& game) {
  sf::RenderWindow& w = game.window;
  const float t = game.tileSize;
  for (int r = 0; r < game.rows; ++r) {
    for (int c = 0; c < game.columns; ++c) {
      rect(w, corner(game, r, c) + sf::Vector2f(0.5f, 0.5f), {t - 0.5f, t - 0.5f},
           alpha(kIceBlue, (r + c) % 2 == 0 ? 11 : 6));
    }
  }

  const sf::Vector2f goal = corner(game, game.rows - 1, game.columns - 1);
  rect(w, game.boardOffset, {t, t}, alpha(kMarkerGreen, 30));
  rect(w, goal, {t, t}, alpha(kMarkerGreen, 45));
  const float k = t * 0.18f;
  const sf::Vector2f goalCentre = goal + sf::Vector2f(t / 2.f, t / 2.f);
  circle(w, goalCentre, k * 1.5f, alpha(kMarkerGreen, 50));
  circle(w, goalCentre, k, kMarkerGreen);
  circle(w, goalCentre, k * 0.35f, sf::Color::White);

  const std::size_t n = game.trail.size();
  for (std::size_t i = 0; i < n; ++i) {
    const float f = static_cast<float>(i) / static_cast<float>(std::max<std::size_t>(n - 1, 1));
    const float a = f * 0.55f + 0.08f;
    const sf::Vector2f at = corner(game, game.trail[i].row, game.trail[i].column);
    rect(w, at, {t, t}, alpha(kIceBlue, static_cast<int>(a * 0.5f * 255.f)));
    const float inset = t * 0.25f;
    rect(w, at + sf::Vector2f(inset, inset), {t - 2.f * inset, t - 2.f * inset},
         alpha(kFrost, static_cast<int>(a * 0.2f * 255.f)));
    const float dot = f * (t * 0.1f);
    if (dot > 0.5f) {
      circle(w, at + sf::Vector2f(t * 0.5f, t * 0.5f), dot,
             alpha(kIceBlue, static_cast<int>(a * 0.7f * 255.f)));
    }
  }

  for (const CrackMark& crack : game.effects.cracks) {
    const sf::Vector2f centre = corner(game, crack.row, crack.column) + sf::Vector2f(t / 2, t / 2);
    for (const CrackStrip& strip : crack.strips) {
      sf::VertexArray crackLine(sf::PrimitiveType::LineStrip, strip.size());
      for (std::size_t p = 0; p < strip.size(); ++p) {
        crackLine[p] = sf::Vertex{{centre.x + t * strip[p].x, centre.y + t * strip[p].y},
                                  effectColour(kFrost, crack.alpha)};
      }
      w.draw(crackLine);
    }
  }
  for (const Spark& spark : game.effects.sparks) {
    circle(w, spark.position, spark.radius, effectColour(spark.colour, spark.alpha));
  }

  const float right = game.boardOffset.x + static_cast<float>(game.columns) * t;
  const float bottom = game.boardOffset.y + static_cast<float>(game.rows) * t;
  const sf::Vector2f o = game.boardOffset;
  line(w, o, {right, o.y});
  line(w, {o.x, bottom}, {right, bottom});
  line(w, o, {o.x, bottom});
  line(w, {right, o.y}, {right, bottom});
  for (int r = 0; r < game.rows; ++r) {
    for (int c = 0; c < game.columns; ++c) {
      const sf::Vector2f p = corner(game, r, c);
      const Cell& cell = game.board[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (cell.eastWall && c < game.columns - 1) line(w, {p.x + t, p.y}, {p.x + t, p.y + t});
      if (cell.southWall && r < game.rows - 1) line(w, {p.x, p.y + t}, {p.x + t, p.y + t});
    }
  }

  const sf::Vector2f at = game.playerPosition();
  const float r = t * 0.28f;
  const float s = std::sin(game.idlePhase);
  const float glow = game.sliding ? s * 0.4f + 0.6f : s * 0.1f + 0.25f;
  const float halo = game.sliding ? r * 3.5f : r * 2.5f;
  for (int ring = 3; ring >= 1; --ring) {
    const float share = static_cast<float>(ring) / 3.f;
    circle(w, at, share * halo, alpha(kIceBlue, static_cast<int>((1.f - share) * glow * 100.f)));
  }
  if (game.sliding) {
    const float u = 2.f * std::fmod(game.slideProgress, 0.5f);
    circle(w, at, (u * 2.5f + 1.2f) * r, sf::Color::Transparent,
           alpha(kFrost, static_cast<int>((1.f - u) * 100.f)), 1.5f);
  }
  circle(w, at, r, kIceBlue);
  circle(w, at, r * 0.42f, sf::Color(220, 240, 255, 242));
  circle(w, at - sf::Vector2f(r * 0.22f, r * 0.22f), r * 0.14f, sf::Color(255, 255, 255, 200));
}

void drawConfetti(Game& game) {
  for (const Particle& p : game.particles) {
    sf::RectangleShape piece({p.width, p.height});
    piece.setOrigin({p.width / 2.f, p.height / 2.f});
    piece.setPosition({p.x, p.y});
    piece.setRotation(sf::degrees(p.rotation));
    piece.setFillColor(effectColour(p.colour, p.alpha));
    game.window.draw(piece);
  }
}

// The name cursor blinks with the wall clock: a start still to come shows
// "_" in every frame, however long the frames take.
void intoTheBlink(Game& game) {
  game.startedAt = std::chrono::steady_clock::now() + std::chrono::hours(24);
}

sf::Image referenceFrame(Game& game, const sf::Texture& backdrop) {
  sf::RenderWindow& w = game.window;
  w.clear(look::kNight);
  w.draw(sf::Sprite(backdrop));
  Canvas layer;
  layer.restart(w);
  if (game.state == GameState::Menu) {
    game.drawTitleScreen(layer);
  } else {
    game.hud->draw(layer);
    layer.draw(w);
    drawBoard(game);
    layer.restart(w);
    if (game.state == GameState::Paused) game.drawPauseOverlay(layer);
    if (game.state == GameState::Won) {
      game.drawWinOverlay(layer);
      game.drawWinMenu(layer);
      if (game.nameEntryActive || game.resultReady) {
        game.drawNameEntryPanel(layer);
        game.drawNameEntryLine(layer);
      }
    }
  }
  layer.draw(w);
  drawConfetti(game);
  return test::grab(w);
}

// Nothing kept from earlier frames: no picture, no laid-out text.
void forgetKept(Game& game) {
  game.winPicture.shows.reset();
  game.sceneLayer.texts.clear();
  game.topLayer.texts.clear();
}

// Counts the pixels where two frames differ; the first of them is reported.
::testing::AssertionResult samePixels(const sf::Image& actual, const sf::Image& expected,
                                      const std::string& name) {
  unsigned differing = 0;
  sf::Vector2u first;
  for (unsigned y = 0; y < actual.getSize().y; ++y) {
    for (unsigned x = 0; x < actual.getSize().x; ++x) {
      if (actual.getPixel({x, y}) != expected.getPixel({x, y})) {
        if (differing++ == 0) first = {x, y};
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  test::saveForInspection(actual, name + "-batched");
  test::saveForInspection(expected, name + "-shape-by-shape");
  const sf::Color a = actual.getPixel(first);
  const sf::Color e = expected.getPixel(first);
  return ::testing::AssertionFailure()
         << name << ": " << differing << " pixels differ; the first at (" << first.x << ", "
         << first.y << ") is rgb(" << int{a.r} << ", " << int{a.g} << ", " << int{a.b}
         << "), shape by shape rgb(" << int{e.r} << ", " << int{e.g} << ", " << int{e.b} << ")";
}

// Draws the scene both ways; every pixel must agree. The game's frame is
// drawn twice: the first lays its texts out and keeps the win screen's
// picture, the second takes them from what the first kept.
::testing::AssertionResult sameAsShapeByShape(Game& game, const bench::PlayState& scene,
                                              const std::string& name) {
  if (!game.backgroundReady) {
    return ::testing::AssertionFailure() << "no backdrop picture";
  }
  bench::restore(game, scene);
  intoTheBlink(game);
  const sf::Image expected = referenceFrame(game, game.background.getTexture());
  bench::restore(game, scene);
  forgetKept(game);
  for (const char* frame : {"-first-frame", "-next-frame"}) {
    intoTheBlink(game);
    game.drawFrame();
    if (auto same = samePixels(test::capture(game), expected, name + frame); !same) return same;
  }
  return ::testing::AssertionSuccess();
}

TEST(Batching, WorstCaseIsPixelForPixelTheShapeByShapeFrame) {
  Game game;
  const bench::Scenes scenes = bench::buildScenes(game);
  const bench::SceneCounts counts = bench::countsOf(scenes.worstCase);
  ASSERT_EQ(counts.trail, kTrailLength);
  ASSERT_EQ(counts.sparks, 160u);
  ASSERT_EQ(counts.cracks, 3u);
  ASSERT_GT(counts.confetti, 150u);
  ASSERT_TRUE(scenes.worstCase.sliding);
  EXPECT_TRUE(sameAsShapeByShape(game, scenes.worstCase, "worst-case"));
}

TEST(Batching, EveryScreenIsPixelForPixelTheShapeByShapeFrame) {
  Game game;
  const bench::Scenes scenes = bench::buildScenes(game);
  EXPECT_TRUE(sameAsShapeByShape(game, scenes.title, "title"));
  EXPECT_TRUE(sameAsShapeByShape(game, scenes.levelOne, "level-1"));
  EXPECT_TRUE(sameAsShapeByShape(game, scenes.nameEntry, "name-entry"));
  EXPECT_TRUE(sameAsShapeByShape(game, scenes.winScreen, "win"));
  bench::restore(game, scenes.levelOne);
  autoplay::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  EXPECT_TRUE(sameAsShapeByShape(game, bench::capture(game), "paused"));
  // A lone trail entry is drawn as the oldest of many (no division by n - 1).
  bench::restore(game, scenes.levelOne);
  game.trail = {GridCell{3, 4}};
  EXPECT_TRUE(sameAsShapeByShape(game, bench::capture(game), "lone-trail-entry"));
}

TEST(Batching, BusyBoardsOfEveryTileSizeArePixelForPixelTheShapeByShapeFrame) {
  Game game;
  const bench::PlayState title = bench::capture(game);
  for (int level = 0; level < kLevelCount; ++level) {
    bench::restore(game, title);
    const bench::PlayState busy = bench::buildBusyBoard(game, level);
    EXPECT_TRUE(sameAsShapeByShape(game, busy, "busy-level-" + std::to_string(level + 1)));
  }
}

// Draws a frame, then the same frame with nothing kept from earlier ones;
// both must agree. Tells whether the first frame made a new win picture.
::testing::AssertionResult sameAsDrawnAfresh(Game& game, const std::string& name, bool& remade) {
  const std::uint64_t madeBefore = game.winPicture.made;
  intoTheBlink(game);
  game.drawFrame();
  remade = game.winPicture.made != madeBefore;
  const sf::Image actual = test::capture(game);
  forgetKept(game);
  intoTheBlink(game);
  game.drawFrame();
  return samePixels(actual, test::capture(game), name);
}

TEST(WinPicture, KeptWhileOnlyTheTopLayerChangesAndRemadeWhenTheRestDoes) {
  Game game;
  const bench::Scenes scenes = bench::buildScenes(game);
  bool remade = false;

  // The win menu in use: its moving selection is drawn over the kept picture.
  bench::restore(game, scenes.winScreen);
  game.winPicture.shows.reset();
  ASSERT_TRUE(sameAsDrawnAfresh(game, "win-menu", remade));
  EXPECT_TRUE(remade);
  ASSERT_TRUE(game.winPicture.shows.has_value());
  autoplay::press(game, Key::Down);
  ASSERT_EQ(game.menuSelection, 1);
  EXPECT_TRUE(sameAsDrawnAfresh(game, "win-menu-moved", remade));
  EXPECT_FALSE(remade) << "a new selection must not remake the picture";

  // The name entry: a letter typed changes only the line over the panel.
  bench::restore(game, scenes.nameEntry);
  ASSERT_TRUE(game.nameEntryActive);
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-entry", remade));
  EXPECT_TRUE(remade) << "the name entry's panel needs a new picture";
  const std::string before = game.playerName;
  autoplay::type(game, "Q");
  ASSERT_EQ(game.playerName, before + "Q");
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-typed", remade));
  EXPECT_FALSE(remade) << "a typed letter must not remake the picture";

  // The outcome arriving replaces the panel under the top layer.
  game.nameEntryActive = false;
  game.lastResult = ScoreResult{.ok = true, .place = 3, .total = 41, .error = {}};
  game.resultReady = true;
  EXPECT_TRUE(sameAsDrawnAfresh(game, "outcome", remade));
  EXPECT_TRUE(remade);
  game.lastResult.place = 4;
  EXPECT_TRUE(sameAsDrawnAfresh(game, "outcome-other-place", remade));
  EXPECT_TRUE(remade) << "another place is another picture";
  EXPECT_TRUE(sameAsDrawnAfresh(game, "outcome-again", remade));
  EXPECT_FALSE(remade);

  // A resize lays the screen out anew.
  autoplay::send(game, {sf::Event::Resized{{1000, 700}}});
  EXPECT_TRUE(sameAsDrawnAfresh(game, "resized", remade));
  EXPECT_TRUE(remade);

  // Outside the win screen nothing is kept.
  bench::restore(game, scenes.levelOne);
  game.drawFrame();
  EXPECT_FALSE(game.winPicture.shows.has_value());
}

}  // namespace
