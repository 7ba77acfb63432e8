// The frame draws its many small shapes in batches, keeps its texts laid out
// between frames and the win screen's scene as a picture. A batch must give
// exactly the pixels of its shapes drawn one by one, and a frame exactly those
// of the same frame drawn with nothing kept. What each screen draws is fixed
// pixel for pixel by the pictures of render_frames.cpp.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "bench/Scenes.h"
#include "render/Batch.h"
#include "render/Draw.h"
#include "render/Look.h"
#include "support/TestSupport.h"

namespace {

::testing::AssertionResult samePixels(const sf::Image& actual, const sf::Image& expected,
                                      const std::string& name) {
  const std::size_t bytes = std::size_t{4} * actual.getSize().x * actual.getSize().y;
  if (std::equal(actual.getPixelsPtr(), actual.getPixelsPtr() + bytes, expected.getPixelsPtr())) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << name << " differs; see " << test::saveForInspection(actual, name + "-actual") << " and "
         << test::saveForInspection(expected, name + "-expected");
}

// Draws a frame, then the same frame with nothing kept from earlier ones (no
// picture, no laid-out text); both must agree, and the first must have made
// a new win picture exactly when `remade` says. The name cursor blinks with the
// wall clock: a start still to come shows "_" however long the frames take.
::testing::AssertionResult sameAsDrawnAfresh(Game& game, const std::string& name, bool remade) {
  const std::uint64_t madeBefore = game.winPicture.made;
  game.startedAt = std::chrono::steady_clock::now() + std::chrono::hours(24);
  const sf::Image shown = test::capture(game);
  if ((game.winPicture.made != madeBefore) != remade) {
    return ::testing::AssertionFailure() << name << ": picture remade " << !remade;
  }
  game.winPicture.shows.reset();
  game.sceneLayer.texts.clear();
  game.topLayer.texts.clear();
  return samePixels(shown, test::capture(game), name);
}

// The worst case's own confetti, turned about its centres, and squares, dots
// and lines at fractional places over its trail's cells: each list as one
// call, against each shape drawn on its own.
TEST(Batching, AListDrawsThePixelsOfItsShapesOneByOne) {
  Game game;
  bench::restore(game, bench::buildScenes(game).worstCase);
  ASSERT_TRUE(game.trail.size() == kTrailLength && game.particles.size() > 150);
  sf::RenderTexture oneByOne(game.window.getSize()), batched(game.window.getSize());
  for (sf::RenderTexture* texture : {&oneByOne, &batched}) texture->clear(look::kNight);
  batch::Vertices triangles, lines;
  for (const Particle& p : game.particles) {
    sf::RectangleShape piece({p.width, p.height});
    piece.setOrigin({p.width / 2.f, p.height / 2.f});
    piece.setPosition({p.x, p.y});
    piece.setRotation(sf::degrees(p.rotation));
    piece.setFillColor(look::withAlpha(p.colour, 200));
    oneByOne.draw(piece);
    batch::addQuad(triangles, piece);
  }
  const float t = game.tileSize;
  for (const GridCell& cell : game.trail) {
    const sf::Vector2f at =
        game.boardOffset + sf::Vector2f(cell.column + 0.3f, cell.row + 0.1f) * t;
    const sf::Color colour = look::withAlpha(look::kPaleBlue, 40 + cell.row * 9);
    draw::rect(oneByOne, at, {t - 0.5f, t * 0.7f}, colour);
    batch::addRect(triangles, at, {t - 0.5f, t * 0.7f}, colour);
    draw::circle(oneByOne, at, t * 0.13f, colour);
    batch::addCircle(triangles, at, t * 0.13f, colour);
    batch::addLine(lines, at, at + sf::Vector2f(t, 0.f), look::kWall);
  }
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    oneByOne.draw(&lines[i], 2, sf::PrimitiveType::Lines);
  }
  batch::draw(batched, triangles, sf::PrimitiveType::Triangles);
  batch::draw(batched, lines, sf::PrimitiveType::Lines);
  for (sf::RenderTexture* texture : {&oneByOne, &batched}) texture->display();
  EXPECT_TRUE(
      samePixels(batched.getTexture().copyToImage(), oneByOne.getTexture().copyToImage(), "batch"));
  // A lone trail cell is the oldest of many: no division by n - 1.
  Canvas lone;
  game.drawTrail(lone, {GridCell{3, 4}}, t, game.boardOffset);
  EXPECT_EQ(std::get<Canvas::Vertices>(lone.recording.calls.at(0)).vertices.at(0).color.a, 10);
}

TEST(WinPicture, KeptWhileOnlyTheTopLayerChangesAndRemadeWhenTheRestDoes) {
  Game game;
  const bench::Scenes scenes = bench::buildScenes(game);
  bench::restore(game, scenes.winScreen);
  ASSERT_TRUE(sameAsDrawnAfresh(game, "win-menu", true));
  autoplay::press(game, sf::Keyboard::Key::Down);  // the moving selection is drawn over the picture
  ASSERT_EQ(game.menuSelection, 1);
  EXPECT_TRUE(sameAsDrawnAfresh(game, "win-menu-moved", false));
  bench::restore(game, scenes.nameEntry);
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-entry", true));
  autoplay::type(game, "Q");  // only the line over the panel changes
  ASSERT_EQ(game.playerName, "Ola NordmannQ");
  EXPECT_TRUE(sameAsDrawnAfresh(game, "name-typed", false));
  // The outcome arriving replaces the panel under the top layer.
  game.nameEntryActive = false;
  game.lastResult = ScoreResult{.ok = true, .place = 3, .total = 41, .error = {}};
  game.resultReady = true;
  EXPECT_TRUE(sameAsDrawnAfresh(game, "outcome", true));
  autoplay::send(game, {sf::Event::Resized{{1000, 700}}});
  EXPECT_TRUE(sameAsDrawnAfresh(game, "resized", true));
}

}  // namespace
