#include <algorithm>
#include <cmath>
#include <utility>

#include "app/Game.h"
#include "render/Batch.h"
#include "render/Look.h"

namespace {

using look::kDeepBlue;
using look::kGreen;
using look::kPaleBlue;
using look::withAlpha;

sf::Vector2f cellCorner(int row, int column, float tile, sf::Vector2f offset) {
  return {offset.x + static_cast<float>(column) * tile, offset.y + static_cast<float>(row) * tile};
}

}  // namespace

void Game::render() {
  drawFrame();
  window.display();
}

// The frame in two layers: the scene, and over it what changes while a screen
// stands still (the confetti, and on the win screen the menu in use or the
// typed name). The win screen's scene lays translucent veils over the whole
// window, which a software renderer pays for in every frame, so a copy of it
// is kept (render/WinPicture.h). A frame draws the copy in its place only when
// it records its scene exactly as the copy was recorded: whatever changes what
// the scene draws, by an event, a result, the clock or anything else, changes
// the recording too, so the copy cannot be shown once it is out of date.
void Game::drawFrame() {
  sceneLayer.restart(window);
  drawScene(sceneLayer);
  const bool won = state == GameState::Won;
  if (won && winPicture.shows == sceneLayer.recording) {
    drawWinPicture();
  } else {
    sceneLayer.draw(window);
    winPicture.shows.reset();
    if (won) {
      keepWinPicture();
    }
  }
  topLayer.restart(window);
  if (won) {
    drawWinTopLayer(topLayer);
  }
  drawConfetti(topLayer);
  topLayer.draw(window);
}

void Game::drawScene(Canvas& canvas) const {
  canvas.clear(look::kNight);
  if (backgroundReady) {
    canvas.picture(background.getTexture());
  }
  if (state == GameState::Menu) {
    drawTitleScreen(canvas);
    return;
  }
  hud->draw(canvas);
  drawCheckerTint(canvas);
  drawBoardMarkers(canvas, columns, rows, tileSize, boardOffset);
  drawTrail(canvas, trail, tileSize, boardOffset);
  effects.draw(canvas, tileSize, boardOffset);
  drawWalls(canvas, board, columns, rows, tileSize, boardOffset);
  drawPlayer(canvas, playerPosition(), tileSize, idlePhase, sliding, slideProgress);
  if (state == GameState::Paused) {
    drawPauseOverlay(canvas);
  }
  if (state == GameState::Won) {
    drawWinOverlay(canvas);
    if (!winMenuInUse()) {
      drawWinMenu(canvas);
      drawNameEntryPanel(canvas);
    }
  }
}

bool Game::winMenuInUse() const { return !nameEntryActive && !resultReady; }

void Game::drawWinTopLayer(Canvas& canvas) const {
  if (winMenuInUse()) {
    drawWinMenu(canvas);
  } else {
    drawNameEntryLine(canvas);
  }
}

// The board's layers with many shapes each go to the window as one batch
// (render/Batch.h): the same triangles in the same order as shape by shape.

void Game::drawCheckerTint(Canvas& canvas) const {
  const float t = tileSize;
  batch::Vertices tint;
  tint.reserve(static_cast<std::size_t>(rows * columns) * 6);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int alpha = (r + c) % 2 == 0 ? 11 : 6;
      batch::addRect(tint, cellCorner(r, c, t, boardOffset) + sf::Vector2f(0.5f, 0.5f),
                     {t - 0.5f, t - 0.5f}, withAlpha(kDeepBlue, alpha));
    }
  }
  canvas.vertices(std::move(tint), sf::PrimitiveType::Triangles);
}

void Game::drawBoardMarkers(Canvas& canvas, int boardColumns, int boardRows, float tile,
                            sf::Vector2f offset) const {
  const GridCell goalAt = goalCell(boardRows, boardColumns);
  const sf::Vector2f goal = cellCorner(goalAt.row, goalAt.column, tile, offset);
  canvas.rect(offset, {tile, tile}, withAlpha(kGreen, 30));
  canvas.rect(goal, {tile, tile}, withAlpha(kGreen, 45));
  const sf::Vector2f centre = goal + sf::Vector2f(tile / 2.f, tile / 2.f);
  const float k = tile * 0.18f;
  canvas.circle(centre, k * 1.5f, withAlpha(kGreen, 50));
  canvas.circle(centre, k, kGreen);
  canvas.circle(centre, k * 0.35f, look::kWhite);
}

void Game::drawTrail(Canvas& canvas, const std::vector<GridCell>& cells, float tile,
                     sf::Vector2f offset) const {
  const std::size_t n = cells.size();
  batch::Vertices squares;
  for (std::size_t i = 0; i < n; ++i) {
    // Oldest faint, newest strong.
    const float f = static_cast<float>(i) / static_cast<float>(std::max<std::size_t>(n - 1, 1));
    const float a = f * 0.55f + 0.08f;
    const sf::Vector2f corner = cellCorner(cells[i].row, cells[i].column, tile, offset);
    batch::addRect(squares, corner, {tile, tile},
                   withAlpha(kDeepBlue, static_cast<int>(a * 0.5f * 255.f)));
    const float inset = tile * 0.25f;
    batch::addRect(squares, corner + sf::Vector2f(inset, inset),
                   {tile - 2.f * inset, tile - 2.f * inset},
                   withAlpha(kPaleBlue, static_cast<int>(a * 0.2f * 255.f)));
    const float dot = f * (tile * 0.1f);
    if (dot > 0.5f) {
      batch::addCircle(squares, corner + sf::Vector2f(tile * 0.5f, tile * 0.5f), dot,
                       withAlpha(kDeepBlue, static_cast<int>(a * 0.7f * 255.f)));
    }
  }
  canvas.vertices(std::move(squares), sf::PrimitiveType::Triangles);
}

void Game::drawWalls(Canvas& canvas, const Board& cells, int boardColumns, int boardRows,
                     float tile, sf::Vector2f offset) const {
  const float right = offset.x + static_cast<float>(boardColumns) * tile;
  const float bottom = offset.y + static_cast<float>(boardRows) * tile;
  batch::Vertices lines;
  batch::addLine(lines, offset, {right, offset.y}, look::kWall);
  batch::addLine(lines, {offset.x, bottom}, {right, bottom}, look::kWall);
  batch::addLine(lines, offset, {offset.x, bottom}, look::kWall);
  batch::addLine(lines, {right, offset.y}, {right, bottom}, look::kWall);
  // The last column's east flags and the last row's south flags lie on the
  // border, which is already drawn.
  for (int r = 0; r < boardRows; ++r) {
    for (int c = 0; c < boardColumns; ++c) {
      const sf::Vector2f p = cellCorner(r, c, tile, offset);
      const Cell& cell = cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (cell.eastWall && c < boardColumns - 1) {
        batch::addLine(lines, {p.x + tile, p.y}, {p.x + tile, p.y + tile}, look::kWall);
      }
      if (cell.southWall && r < boardRows - 1) {
        batch::addLine(lines, {p.x, p.y + tile}, {p.x + tile, p.y + tile}, look::kWall);
      }
    }
  }
  canvas.vertices(std::move(lines), sf::PrimitiveType::Lines);
}

sf::Vector2f Game::playerPosition() const {
  if (!sliding) {
    return cellCorner(playerRow, playerCol, tileSize, boardOffset) +
           sf::Vector2f(tileSize / 2.f, tileSize / 2.f);
  }
  // Quadratic ease-in-out: slow away, fast across, slow into the wall.
  const float p = std::min(1.f, slideProgress);
  const float e = p < 0.5f ? 2.f * p * p : (4.f - 2.f * p) * p - 1.f;
  return slideFrom + (slideTo - slideFrom) * e;
}

void Game::drawPlayer(Canvas& canvas, sf::Vector2f position, float tile, float phase,
                      bool isSliding, float progress) const {
  const float r = tile * 0.28f;
  const float s = std::sin(phase);
  const float glow = isSliding ? s * 0.4f + 0.6f : s * 0.1f + 0.25f;
  const float haloRadius = isSliding ? r * 3.5f : r * 2.5f;
  for (int k = 3; k >= 1; --k) {
    const float share = static_cast<float>(k) / 3.f;
    canvas.circle(position, share * haloRadius,
                  withAlpha(kDeepBlue, static_cast<int>((1.f - share) * glow * 100.f)));
  }
  if (isSliding) {
    // Grows and fades twice per slide.
    const float u = 2.f * std::fmod(progress, 0.5f);
    canvas.circle(position, (u * 2.5f + 1.2f) * r, sf::Color::Transparent,
                  withAlpha(kPaleBlue, static_cast<int>((1.f - u) * 100.f)), 1.5f);
  }
  canvas.circle(position, r, kDeepBlue);
  canvas.circle(position, r * 0.42f, withAlpha(look::kPlayerCore, 242));
  canvas.circle(position - sf::Vector2f(r * 0.22f, r * 0.22f), r * 0.14f,
                withAlpha(look::kWhite, 200));
}
