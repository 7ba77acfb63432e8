#include <algorithm>
#include <cstddef>
#include <ctime>

#include "app/Game.h"
#include "render/Look.h"

namespace {

// The window's height below the status band, whatever the window's size.
constexpr float kPlayAreaHeight = static_cast<float>(kWindowHeight) - look::kStatusBandHeight;

sf::Vector2f cellCentre(sf::Vector2f offset, float tile, int row, int column) {
  return {offset.x + static_cast<float>(column) * tile + tile / 2.f,
          offset.y + static_cast<float>(row) * tile + tile / 2.f};
}

}  // namespace

void Game::startLevel(int index) {
  const LevelInfo& level = kLevels[static_cast<std::size_t>(index)];
  levelIndex = index;
  columns = level.columns;
  rows = level.rows;
  tileSize = static_cast<float>(level.tileSize);
  board = generateLevelBoard(index, static_cast<std::int64_t>(std::time(nullptr)));

  playerRow = 0;
  playerCol = 0;
  sliding = false;
  slideFrom = {0.f, 0.f};
  slideTo = {0.f, 0.f};
  targetRow = 0;
  targetCol = 0;
  slideProgress = 0.f;
  slideElapsed = 0.f;
  idlePhase = 0.f;
  moves = 0;
  elapsedTime = 0.f;
  timerRunning = true;

  trail.clear();
  effects.clear();
  particles.clear();

  menuSelection = 0;
  state = GameState::Playing;

  // Placed once per level: a later resize or F11 keeps the board where it is.
  const float width = static_cast<float>(window.getSize().x);
  boardOffset = {
      (width - static_cast<float>(columns) * tileSize) * 0.5f,
      (kPlayAreaHeight - static_cast<float>(rows) * tileSize) * 0.5f + look::kStatusBandHeight};
}

void Game::tryMove(int rowStep, int columnStep) {
  // Keys during a slide are dropped, not queued.
  if (state != GameState::Playing || sliding) {
    return;
  }
  const SlideResult slide =
      traceSlide(board, playerRow, playerCol, rowStep, columnStep, rows, columns);
  if (slide.endRow == playerRow && slide.endColumn == playerCol) {
    return;
  }

  trail.push_back({playerRow, playerCol});
  for (std::size_t i = 0; i + 1 < slide.passed.size(); ++i) {
    trail.push_back({slide.passed[i].row, slide.passed[i].column});
  }
  if (trail.size() > kTrailLength) {
    trail.erase(trail.begin(), trail.end() - static_cast<std::ptrdiff_t>(kTrailLength));
  }

  ++moves;
  sliding = true;
  slideProgress = 0.f;
  slideElapsed = 0.f;
  slideFrom = cellCentre(boardOffset, tileSize, playerRow, playerCol);
  slideTo = cellCentre(boardOffset, tileSize, slide.endRow, slide.endColumn);
  targetRow = slide.endRow;
  targetCol = slide.endColumn;

  // Longer slides hit harder. The sparks draw from rand before the crack does.
  const auto cells = static_cast<float>(slide.passed.size());
  effects.spawnSparks(slideTo, tileSize, std::min(2.f, cells * 0.1f + 1.f));
  effects.addCrack(targetRow, targetCol);
  if (soundBank.enabled) {
    soundBank.playMove(std::min(1.4f, cells * 0.08f + 0.6f));
  }
}
