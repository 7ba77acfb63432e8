#include "app/Game.h"

// Work in progress: the full key map and the update arrive with the rules.
bool Game::handleEvent(const sf::Event& event) {
  if (event.is<sf::Event::Closed>()) {
    window.close();
    return false;
  }
  if (const auto* key = event.getIf<sf::Event::KeyPressed>()) {
    if (state == GameState::Playing && key->code == sf::Keyboard::Key::F11) {
      toggleFullscreen();
    }
  }
  return true;
}

void Game::update(float /*dt*/) {}
