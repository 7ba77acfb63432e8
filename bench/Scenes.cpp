#include "bench/Scenes.h"

#include "fx/GameRandom.h"
#include "puzzle/Slide.h"
#include "tools/Autoplay.h"

namespace bench {

namespace {

using Key = sf::Keyboard::Key;

constexpr MazeStep kSteps[] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};  // clockwise from right

void frames(Game& game, int count) { autoplay::frames(game, count, kFrameStep); }

void mute(Game& game) {
  if (game.soundBank.enabled) {
    autoplay::press(game, Key::M);
  }
}

sf::Vector2f cellCentre(const Game& game, GridCell cell) {
  const float t = game.tileSize;
  return {game.boardOffset.x + static_cast<float>(cell.column) * t + t / 2.f,
          game.boardOffset.y + static_cast<float>(cell.row) * t + t / 2.f};
}

// Turning clockwise from the last direction, the first slide that moves the
// figure and does not end the level on the goal.
struct Wanderer {
  int direction = 0;

  Key next(const Game& game) {
    for (int k = 0; k < 4; ++k) {
      const MazeStep step = kSteps[(direction + k) % 4];
      const SlideResult slide = traceSlide(game.board, game.playerRow, game.playerCol, step.row,
                                           step.column, game.rows, game.columns);
      const bool moves = slide.endRow != game.playerRow || slide.endColumn != game.playerCol;
      const bool wins = slide.endRow == game.rows - 1 && slide.endColumn == game.columns - 1;
      if (moves && !wins) {
        direction = (direction + k + 1) % 4;
        return autoplay::keyOf(step);
      }
    }
    return Key::Right;
  }
};

// The largest burst a slide throws is 80 sparks; the real spawner with a
// strength that always gives more, cut to 80.
void addFullBurst(ImpactEffects& effects, sf::Vector2f centre, float tile) {
  ImpactEffects burst;
  burst.spawnSparks(centre, tile, 3.7f);
  burst.sparks.resize(80);
  effects.sparks.insert(effects.sparks.end(), burst.sparks.begin(), burst.sparks.end());
}

}  // namespace

PlayState capture(const Game& game) {
  return PlayState{.state = game.state,
                   .levelIndex = game.levelIndex,
                   .board = game.board,
                   .playerCol = game.playerCol,
                   .playerRow = game.playerRow,
                   .columns = game.columns,
                   .rows = game.rows,
                   .tileSize = game.tileSize,
                   .boardOffset = game.boardOffset,
                   .sliding = game.sliding,
                   .slideFrom = game.slideFrom,
                   .slideTo = game.slideTo,
                   .targetCol = game.targetCol,
                   .targetRow = game.targetRow,
                   .slideProgress = game.slideProgress,
                   .slideElapsed = game.slideElapsed,
                   .idlePhase = game.idlePhase,
                   .moves = game.moves,
                   .elapsedTime = game.elapsedTime,
                   .timerRunning = game.timerRunning,
                   .bestRecords = game.bestRecords,
                   .trail = game.trail,
                   .menuSelection = game.menuSelection,
                   .menuItems = game.menuItems,
                   .playerName = game.playerName,
                   .nameEntryActive = game.nameEntryActive,
                   .nameInputCooldown = game.nameInputCooldown,
                   .lastResult = game.lastResult,
                   .resultReady = game.resultReady,
                   .particles = game.particles,
                   .effects = game.effects,
                   .hud = *game.hud};
}

void restore(Game& game, const PlayState& snapshot) {
  game.state = snapshot.state;
  game.levelIndex = snapshot.levelIndex;
  game.board = snapshot.board;
  game.playerCol = snapshot.playerCol;
  game.playerRow = snapshot.playerRow;
  game.columns = snapshot.columns;
  game.rows = snapshot.rows;
  game.tileSize = snapshot.tileSize;
  game.boardOffset = snapshot.boardOffset;
  game.sliding = snapshot.sliding;
  game.slideFrom = snapshot.slideFrom;
  game.slideTo = snapshot.slideTo;
  game.targetCol = snapshot.targetCol;
  game.targetRow = snapshot.targetRow;
  game.slideProgress = snapshot.slideProgress;
  game.slideElapsed = snapshot.slideElapsed;
  game.idlePhase = snapshot.idlePhase;
  game.moves = snapshot.moves;
  game.elapsedTime = snapshot.elapsedTime;
  game.timerRunning = snapshot.timerRunning;
  game.bestRecords = snapshot.bestRecords;
  game.trail = snapshot.trail;
  game.menuSelection = snapshot.menuSelection;
  game.menuItems = snapshot.menuItems;
  game.playerName = snapshot.playerName;
  game.nameEntryActive = snapshot.nameEntryActive;
  game.nameInputCooldown = snapshot.nameInputCooldown;
  game.lastResult = snapshot.lastResult;
  game.resultReady = snapshot.resultReady;
  game.particles = snapshot.particles;
  game.effects = snapshot.effects;
  *game.hud = snapshot.hud;
}

PlayState buildBusyBoard(Game& game, int levelIndex) {
  gameSrand(kRandomSeed);
  autoplay::press(game, static_cast<Key>(static_cast<int>(Key::Num1) + levelIndex));
  mute(game);
  game.board = generateLevelBoard(levelIndex, kLevelFiveClock);

  // Wander until the trail is full, then catch the next slide halfway.
  Wanderer wanderer;
  std::vector<GridCell> landings;
  while (game.trail.size() < kTrailLength) {
    autoplay::press(game, wanderer.next(game));
    landings.push_back({game.targetRow, game.targetCol});
    autoplay::finishSlide(game, kFrameStep);
  }
  autoplay::press(game, wanderer.next(game));
  landings.push_back({game.targetRow, game.targetCol});
  while (game.sliding && game.slideProgress < 0.5f) {
    game.update(kFrameStep);
  }

  // The marks of the last three slides, and two fresh full bursts where the
  // last two end.
  const std::size_t n = landings.size();
  game.effects.clear();
  for (std::size_t i = n >= 3 ? n - 3 : 0; i < n; ++i) {
    game.effects.addCrack(landings[i].row, landings[i].column);
  }
  if (n >= 2) {
    addFullBurst(game.effects, cellCentre(game, landings[n - 2]), game.tileSize);
  }
  addFullBurst(game.effects, game.slideTo, game.tileSize);

  // A win's confetti, a second into its fall.
  const sf::Vector2f size(game.window.getSize());
  game.particles = makeConfetti(size.x);
  for (int i = 0; i < 60; ++i) {
    updateConfetti(game.particles, kFrameStep, size.y);
  }
  return capture(game);
}

Scenes buildScenes(Game& game) {
  Scenes scenes;
  gameSrand(kRandomSeed);
  scenes.title = capture(game);

  autoplay::press(game, Key::Num1);
  mute(game);
  frames(game, 30);
  scenes.levelOne = capture(game);

  autoplay::play(game, autoplay::solution(game), kFrameStep);
  // Past the typing cooldown, with the confetti well inside the window.
  frames(game, 70);
  autoplay::type(game, "Ola Nordmann");
  scenes.nameEntry = capture(game);
  autoplay::press(game, Key::Escape);
  scenes.winScreen = capture(game);

  restore(game, scenes.title);
  scenes.worstCase = buildBusyBoard(game, 4);
  restore(game, scenes.title);
  return scenes;
}

SceneCounts countsOf(const PlayState& scene) {
  return {scene.trail.size(), scene.effects.sparks.size(), scene.effects.cracks.size(),
          scene.particles.size()};
}

}  // namespace bench
