#pragma once

// The scenes the frame benchmark measures, set up by playing the real game
// through its keyboard handler, and a snapshot of the play state so that a
// scene can be put back exactly before every measured frame.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Game.h"

namespace bench {

// One frame of the game's own update step in the benchmark.
inline constexpr float kFrameStep = 1.f / 60.f;

// The effects' random numbers are seeded with this, so every run throws the
// same sparks, cracks and confetti.
inline constexpr std::uint32_t kRandomSeed = 20240;

// Level 5 takes its maze from the clock; the benchmark plays the one of this
// moment instead, so every run sees the same walls.
inline constexpr std::int64_t kLevelFiveClock = 1700000000;

// Everything a frame reads or changes (the window, fonts, backdrop and the
// submitter stay as they are).
struct PlayState {
  GameState state = GameState::Menu;
  std::int32_t levelIndex = 0;
  Board board;
  std::int32_t playerCol = 0;
  std::int32_t playerRow = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  float tileSize = 0.f;
  sf::Vector2f boardOffset;
  bool sliding = false;
  sf::Vector2f slideFrom;
  sf::Vector2f slideTo;
  std::int32_t targetCol = 0;
  std::int32_t targetRow = 0;
  float slideProgress = 0.f;
  float slideElapsed = 0.f;
  float idlePhase = 0.f;
  std::int32_t moves = 0;
  float elapsedTime = 0.f;
  bool timerRunning = false;
  std::array<BestRecord, kLevelCount> bestRecords{};
  std::vector<GridCell> trail;
  std::int32_t menuSelection = 0;
  std::vector<MenuItem> menuItems;
  std::string playerName;
  bool nameEntryActive = false;
  float nameInputCooldown = 0.f;
  ScoreResult lastResult;
  bool resultReady = false;
  std::vector<Particle> particles;
  ImpactEffects effects;
  Hud hud;
};

PlayState capture(const Game& game);
void restore(Game& game, const PlayState& snapshot);

// The scenes, each built from the state the game is in when called.
struct Scenes {
  PlayState title;      // the title screen, as the game starts
  PlayState levelOne;   // level 1 at rest, nothing moving but the glow
  PlayState worstCase;  // level 5: 24-cell trail, mid-slide, 160 sparks, 3 cracks, confetti
  PlayState nameEntry;  // level 1 won, a name typed, confetti falling
  PlayState winScreen;  // the same win once the name entry has closed
};

// Builds every scene on a freshly constructed game; leaves the game on the
// title screen. Sound is switched off first (M), so the set-up plays nothing.
Scenes buildScenes(Game& game);

// A busy board on the given level (0-4), from the title screen: the trail
// full, the figure halfway through a slide, two fresh bursts of 80 sparks and
// three crack marks where the last slides ended, and a win's confetti a second
// into its fall. On level 5 (index 4) this is the worst case.
PlayState buildBusyBoard(Game& game, int levelIndex);

// Counts for the report.
struct SceneCounts {
  std::size_t trail = 0;
  std::size_t sparks = 0;
  std::size_t cracks = 0;
  std::size_t confetti = 0;
};
SceneCounts countsOf(const PlayState& scene);

}  // namespace bench
