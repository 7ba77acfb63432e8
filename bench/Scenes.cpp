#include "bench/Scenes.h"

#include <chrono>
#include <utility>
#include <vector>

#include "fx/GameRandom.h"
#include "puzzle/Slide.h"
#include "tools/Autoplay.h"

namespace bench {

namespace {

using Key = sf::Keyboard::Key;

constexpr std::uint32_t kRandomSeed = 20240;
// Level 5 takes its maze from the clock; the benchmark plays this moment's.
constexpr std::int64_t kLevelFiveClock = 1700000000;
constexpr MazeStep kSteps[] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};  // clockwise from right

void mute(Game& game) {
  if (game.soundBank.enabled) {
    autoplay::press(game, Key::M);
  }
}

// Turning clockwise from the last direction, the first slide that moves the
// figure and does not end the level on the goal.
Key wander(const Game& game, int& direction) {
  for (int k = 0; k < 4; ++k) {
    const MazeStep step = kSteps[(direction + k) % 4];
    const SlideResult slide = traceSlide(game.board, game.playerRow, game.playerCol, step.row,
                                         step.column, game.rows, game.columns);
    const GridCell end{slide.endRow, slide.endColumn};
    if (end != GridCell{game.playerRow, game.playerCol} &&
        end != goalCell(game.rows, game.columns)) {
      direction = (direction + k + 1) % 4;
      return autoplay::keyOf(step);
    }
  }
  return Key::Right;
}

// The largest burst a slide throws is 80 sparks: the real spawner with a
// strength that always gives more, cut to 80.
void addFullBurst(ImpactEffects& effects, sf::Vector2f centre, float tile) {
  ImpactEffects burst;
  burst.spawnSparks(centre, tile, 3.7f);
  burst.sparks.resize(80);
  effects.sparks.insert(effects.sparks.end(), burst.sparks.begin(), burst.sparks.end());
}

// Level 5 from the title screen: the trail full, the figure halfway through a
// slide, two fresh bursts of 80 sparks and three crack marks where the last
// slides ended, and a win's confetti a second into its fall.
void playWorstCase(Game& game) {
  autoplay::press(game, Key::Num5);
  game.board = generateLevelBoard(kLastLevel, kLevelFiveClock);
  int direction = 0;
  std::vector<GridCell> landings;
  for (bool last = false; !last;) {
    last = game.trail.size() >= kTrailLength;
    autoplay::press(game, wander(game, direction));
    landings.push_back({game.targetRow, game.targetCol});
    while (game.sliding && (!last || game.slideProgress < 0.5f)) {
      game.update(kFrameStep);
    }
  }
  const std::size_t n = landings.size();
  game.effects.clear();
  for (std::size_t i = n - 3; i < n; ++i) {
    game.effects.addCrack(landings[i].row, landings[i].column);
  }
  const float t = game.tileSize;
  const GridCell before = landings[n - 2];
  addFullBurst(game.effects,
               game.boardOffset + sf::Vector2f(before.column + 0.5f, before.row + 0.5f) * t, t);
  addFullBurst(game.effects, game.slideTo, t);
  const sf::Vector2f size(game.window.getSize());
  game.particles = makeConfetti(size.x);
  for (int i = 0; i < 60; ++i) {
    updateConfetti(game.particles, kFrameStep, size.y);
  }
}

}  // namespace

bool standsStill(Game& game, const PlayState& scene) {
  const auto startedAt =
      std::exchange(game.startedAt, std::chrono::steady_clock::now() + std::chrono::hours(24));
  std::vector<Canvas::Recording> drawn;
  for (int i = 0; i < 2; ++i) {
    game.playState() = scene;
    game.handleEvents();
    game.update(kFrameStep);
    game.drawFrame();
    drawn.push_back(game.sceneLayer.recording);
    drawn.push_back(game.topLayer.recording);
  }
  game.startedAt = startedAt;
  return drawn[0] == drawn[2] && drawn[1] == drawn[3];
}

void forgetKeptDrawing(Game& game) {
  game.winPicture.shows.reset();
  game.sceneLayer.texts.clear();
  game.topLayer.texts.clear();
}

Scenes buildScenes(Game& game) {
  Scenes scenes;
  gameSrand(kRandomSeed);
  scenes.title = game.playState();
  autoplay::press(game, Key::Num1);
  mute(game);
  autoplay::frames(game, 30, kFrameStep);
  scenes.levelOne = game.playState();

  autoplay::play(game, autoplay::solution(game), kFrameStep);
  // Past the typing cooldown, with the confetti well inside the window.
  autoplay::frames(game, 70, kFrameStep);
  autoplay::type(game, "Ola Nordmann");
  scenes.nameEntry = game.playState();
  autoplay::press(game, Key::Escape);
  scenes.winScreen = game.playState();

  game.playState() = scenes.title;
  gameSrand(kRandomSeed);
  playWorstCase(game);
  scenes.worstCase = game.playState();
  game.playState() = scenes.title;
  return scenes;
}

}  // namespace bench
