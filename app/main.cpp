#include <SFML/System/Clock.hpp>

#include "app/Game.h"
#include "app/Platform.h"

int main() {
  // Before the window and the sound device open: what their libraries say of
  // a machine without a GPU or a sound device is not for the player.
  discardStandardError();
  Game game;

  sf::Clock clock;
  while (game.window.isOpen()) {
    const float dt = clampFrameTime(clock.restart());
    game.handleEvents();
    game.update(dt);
    game.render();
  }
  return 0;
}
