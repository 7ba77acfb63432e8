#include <algorithm>
#include <cmath>
#include <utility>

#include "app/Game.h"
#include "render/Backdrop.h"
#include "render/Batch.h"
#include "render/Draw.h"

namespace {

using draw::kFrost;
using draw::kIceBlue;
using draw::kMarkerGreen;
using draw::withAlpha;

const sf::Color kWallColour(26, 58, 92, 255);

sf::Vector2f cellCorner(int row, int column, float tile, sf::Vector2f offset) {
  return {offset.x + static_cast<float>(column) * tile, offset.y + static_cast<float>(row) * tile};
}

}  // namespace

void Game::render() {
  drawFrame();
  window.display();
}

void Game::drawFrame() {
  const draw::FrameTexts textScope(texts);
  if (state != GameState::Won) {
    winPicture.shows.reset();
    drawScene();
  } else {
    if (WinPictureKey key = winPictureKey(*this); winPicture.shows == key) {
      drawWinPicture();
    } else {
      drawScene();
      keepWinPicture(std::move(key));
    }
    drawWinTopLayer();
  }
  drawConfetti();
}

void Game::drawScene() {
  window.clear(kBackdropColour);
  if (backgroundReady) {
    window.draw(sf::Sprite(background.getTexture()));
  }
  if (state == GameState::Menu) {
    drawTitleScreen();
    return;
  }
  hud->draw(window);
  drawCheckerTint();
  drawBoardMarkers(columns, rows, tileSize, boardOffset);
  drawTrail(trail, tileSize, boardOffset);
  effects.draw(window, tileSize, boardOffset);
  drawWalls(board, columns, rows, tileSize, boardOffset);
  drawPlayer(playerPosition(), tileSize, idlePhase, sliding, slideProgress);
  if (state == GameState::Paused) {
    drawPauseOverlay();
  }
  if (state == GameState::Won) {
    drawWinOverlay();
    if (!winMenuInUse()) {
      drawWinMenu();
      drawNameEntryPanel();
    }
  }
}

bool Game::winMenuInUse() const { return !nameEntryActive && !resultReady; }

void Game::drawWinTopLayer() {
  if (winMenuInUse()) {
    drawWinMenu();
  } else {
    drawNameEntryLine();
  }
}

// The board's layers with many shapes each go to the window as one batch
// (render/Batch.h): the same triangles in the same order as shape by shape.

void Game::drawCheckerTint() {
  const float t = tileSize;
  batch::Vertices tint;
  tint.reserve(static_cast<std::size_t>(rows * columns) * 6);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int alpha = (r + c) % 2 == 0 ? 11 : 6;
      batch::addRect(tint, cellCorner(r, c, t, boardOffset) + sf::Vector2f(0.5f, 0.5f),
                     {t - 0.5f, t - 0.5f}, withAlpha(kIceBlue, alpha));
    }
  }
  batch::draw(window, tint, sf::PrimitiveType::Triangles);
}

void Game::drawBoardMarkers(int boardColumns, int boardRows, float tile, sf::Vector2f offset) {
  const sf::Vector2f goal = cellCorner(boardRows - 1, boardColumns - 1, tile, offset);
  draw::rect(window, offset, {tile, tile}, withAlpha(kMarkerGreen, 30));
  draw::rect(window, goal, {tile, tile}, withAlpha(kMarkerGreen, 45));
  const sf::Vector2f centre = goal + sf::Vector2f(tile / 2.f, tile / 2.f);
  const float k = tile * 0.18f;
  draw::circle(window, centre, k * 1.5f, withAlpha(kMarkerGreen, 50));
  draw::circle(window, centre, k, kMarkerGreen);
  draw::circle(window, centre, k * 0.35f, sf::Color::White);
}

void Game::drawTrail(const std::vector<GridCell>& cells, float tile, sf::Vector2f offset) {
  const std::size_t n = cells.size();
  batch::Vertices squares;
  for (std::size_t i = 0; i < n; ++i) {
    // Oldest faint, newest strong.
    const float f = static_cast<float>(i) / static_cast<float>(std::max<std::size_t>(n - 1, 1));
    const float a = f * 0.55f + 0.08f;
    const sf::Vector2f corner = cellCorner(cells[i].row, cells[i].column, tile, offset);
    batch::addRect(squares, corner, {tile, tile},
                   withAlpha(kIceBlue, static_cast<int>(a * 0.5f * 255.f)));
    const float inset = tile * 0.25f;
    batch::addRect(squares, corner + sf::Vector2f(inset, inset),
                   {tile - 2.f * inset, tile - 2.f * inset},
                   withAlpha(kFrost, static_cast<int>(a * 0.2f * 255.f)));
    const float dot = f * (tile * 0.1f);
    if (dot > 0.5f) {
      batch::addCircle(squares, corner + sf::Vector2f(tile * 0.5f, tile * 0.5f), dot,
                       withAlpha(kIceBlue, static_cast<int>(a * 0.7f * 255.f)));
    }
  }
  batch::draw(window, squares, sf::PrimitiveType::Triangles);
}

void Game::drawWalls(const Board& cells, int boardColumns, int boardRows, float tile,
                     sf::Vector2f offset) {
  const float right = offset.x + static_cast<float>(boardColumns) * tile;
  const float bottom = offset.y + static_cast<float>(boardRows) * tile;
  batch::Vertices lines;
  batch::addLine(lines, offset, {right, offset.y}, kWallColour);
  batch::addLine(lines, {offset.x, bottom}, {right, bottom}, kWallColour);
  batch::addLine(lines, offset, {offset.x, bottom}, kWallColour);
  batch::addLine(lines, {right, offset.y}, {right, bottom}, kWallColour);
  // The last column's east flags and the last row's south flags lie on the
  // border, which is already drawn.
  for (int r = 0; r < boardRows; ++r) {
    for (int c = 0; c < boardColumns; ++c) {
      const sf::Vector2f p = cellCorner(r, c, tile, offset);
      const Cell& cell = cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (cell.eastWall && c < boardColumns - 1) {
        batch::addLine(lines, {p.x + tile, p.y}, {p.x + tile, p.y + tile}, kWallColour);
      }
      if (cell.southWall && r < boardRows - 1) {
        batch::addLine(lines, {p.x, p.y + tile}, {p.x + tile, p.y + tile}, kWallColour);
      }
    }
  }
  batch::draw(window, lines, sf::PrimitiveType::Lines);
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

void Game::drawPlayer(sf::Vector2f position, float tile, float phase, bool isSliding,
                      float progress) {
  const float r = tile * 0.28f;
  const float s = std::sin(phase);
  const float glow = isSliding ? s * 0.4f + 0.6f : s * 0.1f + 0.25f;
  const float haloRadius = isSliding ? r * 3.5f : r * 2.5f;
  for (int k = 3; k >= 1; --k) {
    const float share = static_cast<float>(k) / 3.f;
    draw::circle(window, position, share * haloRadius,
                 withAlpha(kIceBlue, static_cast<int>((1.f - share) * glow * 100.f)));
  }
  if (isSliding) {
    // Grows and fades twice per slide.
    const float u = 2.f * std::fmod(progress, 0.5f);
    draw::circle(window, position, (u * 2.5f + 1.2f) * r, sf::Color::Transparent,
                 withAlpha(kFrost, static_cast<int>((1.f - u) * 100.f)), 1.5f);
  }
  draw::circle(window, position, r, kIceBlue);
  draw::circle(window, position, r * 0.42f, sf::Color(220, 240, 255, 242));
  draw::circle(window, position - sf::Vector2f(r * 0.22f, r * 0.22f), r * 0.14f,
               sf::Color(255, 255, 255, 200));
}
