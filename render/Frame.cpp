#include "app/Game.h"

// Work in progress: the screens arrive with the drawing work.
void Game::render() {
  drawFrame();
  window.display();
}

void Game::drawFrame() {
  window.clear(sf::Color(4, 8, 16, 255));
  if (backgroundReady) {
    window.draw(sf::Sprite(background.getTexture()));
  }
}

void Game::drawCheckerTint() {}
void Game::drawBoardMarkers(int, int, float, sf::Vector2f) {}
void Game::drawTrail(const std::vector<GridCell>&, float, sf::Vector2f) {}
void Game::drawWalls(const Board&, int, int, float, sf::Vector2f) {}
sf::Vector2f Game::playerPosition() const { return {}; }
void Game::drawPlayer(sf::Vector2f, float, float, bool, float) {}
