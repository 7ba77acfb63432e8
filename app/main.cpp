#include <SFML/System/Clock.hpp>

#include "app/Game.h"
#include "app/Platform.h"

int main() {
  Game game;
  discardStandardError();

  sf::Clock clock;
  while (game.window.isOpen()) {
    const float dt = clampFrameTime(clock.restart());
    game.handleEvents();
    game.update(dt);
    game.render();
  }
  return 0;
}
