#include <cstddef>
#include <string>

#include "app/Game.h"

// Every action holds only the game pointer, so it stays safe while the list
// that holds its own item is replaced or emptied.
namespace {

std::function<void()> resumeAction(Game* game) {
  return [game] {
    game->state = GameState::Playing;
    game->timerRunning = true;
  };
}

std::function<void()> replayAction(Game* game) {
  return [game] { game->startLevel(game->levelIndex); };
}

std::function<void()> nextLevelAction(Game* game) {
  return [game] { game->startLevel(game->levelIndex + 1); };
}

std::function<void()> toTitleAction(Game* game) {
  return [game] {
    game->state = GameState::Menu;
    game->menuSelection = 0;
    game->menuItems.clear();
  };
}

std::function<void()> quitAction(Game* game) {
  return [game] { game->window.close(); };
}

}  // namespace

void Game::togglePause() {
  if (state == GameState::Playing) {
    state = GameState::Paused;
    timerRunning = false;
    menuItems = {
        {L"FORTSETT", resumeAction(this), true},
        {L"RESTART NIVÅ", replayAction(this), false},
        {L"VELG NIVÅ", toTitleAction(this), false},
        {L"AVSLUTT", quitAction(this), false},
    };
    menuSelection = 0;
  } else if (state == GameState::Paused) {
    state = GameState::Playing;
    timerRunning = true;
  }
}

void Game::triggerWin() {
  timerRunning = false;
  state = GameState::Won;

  BestRecord& best = bestRecords[static_cast<std::size_t>(levelIndex)];
  recordBestTime(best, elapsedTime);
  const std::string_view label = kLevels[static_cast<std::size_t>(levelIndex)].label;
  hud->refresh(elapsedTime, moves, label, best);

  spawnConfetti();

  playerName.clear();
  nameEntryActive = true;
  resultReady = false;
  nameInputCooldown = kNameInputCooldown;

  std::vector<MenuItem> items;
  if (levelIndex < kLastLevel) {
    const std::string_view next = kLevels[static_cast<std::size_t>(levelIndex) + 1].label;
    items.push_back(
        {sf::String(L"NESTE NIVÅ  ") + sf::String(std::string(next)), nextLevelAction(this), true});
  }
  items.push_back({sf::String(L"SPILL NIVÅ " + std::to_wstring(levelIndex + 1) + L" IGJEN"),
                   replayAction(this), levelIndex == kLastLevel});
  items.push_back({L"VELG NIVÅ", toTitleAction(this), false});
  items.push_back({L"AVSLUTT", quitAction(this), false});
  menuItems = std::move(items);
  menuSelection = 0;
}
