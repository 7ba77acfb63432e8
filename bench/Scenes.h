#pragma once

// The scenes the frame benchmark measures, set up by playing the real game
// through its keyboard handler. Each is a copy of the game's play state
// (PlayState, app/Game.h), put back whole before every measured frame.

#include <array>
#include <cstdint>

#include "app/Game.h"

namespace bench {

// One frame of the game's own update step in the benchmark.
inline constexpr float kFrameStep = 1.f / 60.f;

struct Scenes {
  PlayState title;      // the title screen, as the game starts
  PlayState levelOne;   // level 1 at rest, nothing moving but the glow
  PlayState worstCase;  // level 5: 24-cell trail, mid-slide, 160 sparks, 3 cracks, confetti
  PlayState nameEntry;  // level 1 won, a name typed, confetti falling
  PlayState winScreen;  // the same win once the name entry has closed

  std::array<const PlayState*, 5> all() const {
    return {&title, &levelOne, &worstCase, &nameEntry, &winScreen};
  }
};

// Whether two frames of the scene record the same drawing. A member that a
// frame changes and Game::playState() leaves out would make the scene drift
// from frame to frame, and the benchmark stops instead of measuring another
// picture. The name's cursor blinks with the clock; it is held still here.
bool standsStill(Game& game, const PlayState& scene);

// Drops what a frame keeps from the frames before it (the win picture, the
// layers' laid-out texts): the next frame draws everything afresh.
void forgetKeptDrawing(Game& game);

// Builds every scene on a freshly constructed game, with the effects' random
// numbers and level 5's maze fixed, so every run sees the same pictures;
// leaves the game on the title screen. Sound is switched off first (M), so
// the set-up plays nothing.
Scenes buildScenes(Game& game);

}  // namespace bench
