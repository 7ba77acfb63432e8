// One frame's step of time: the confetti, the name entry's cooldown, and in
// play the clock, the figure's glow, the slide and its end, the effects and
// the status bar's texts.
#include <cstddef>

#include "app/Game.h"

namespace {

constexpr float kSlidingPhaseSpeed = 4.8f;
constexpr float kRestingPhaseSpeed = 1.2f;

}  // namespace

void Game::update(float dt) {
  updateConfetti(particles, dt, static_cast<float>(window.getSize().y));
  if (nameInputCooldown > 0.f) {
    nameInputCooldown -= dt;
  }
  // Timer, glow, slide and effects stand still outside play.
  if (state != GameState::Playing) {
    return;
  }
  if (timerRunning) {
    elapsedTime += dt;
  }
  idlePhase += dt * (sliding ? kSlidingPhaseSpeed : kRestingPhaseSpeed);
  if (idlePhase > kTwoPi) {
    idlePhase -= kTwoPi;
  }
  if (sliding) {
    slideElapsed += dt;
    slideProgress = slideElapsed / kSlideDuration;
    if (slideProgress >= 1.f) {
      sliding = false;
      slideProgress = 1.f;
      playerCol = targetCol;
      playerRow = targetRow;
      // Only a slide that comes to rest on the goal wins.
      if (GridCell{playerRow, playerCol} == goalCell(rows, columns)) {
        triggerWin();
        return;
      }
    }
  }
  effects.update();
  hud->refresh(elapsedTime, moves, kLevels[static_cast<std::size_t>(levelIndex)].label,
               bestRecords[static_cast<std::size_t>(levelIndex)]);
}
