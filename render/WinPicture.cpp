#include "render/WinPicture.h"

#include "app/Game.h"

// Called right after the scene was drawn: the window holds it exactly as this
// frame shows it.
void Game::keepWinPicture() {
  winPicture.shows.reset();
  const sf::Vector2u size = window.getSize();
  if (winPicture.texture.getSize() != size && !winPicture.texture.resize(size)) {
    return;  // no copy: every frame draws the scene itself
  }
  winPicture.texture.update(window);
  winPicture.shows = sceneLayer.recording;
  ++winPicture.made;
}

// The copy covers the window pixel for pixel, whatever the window's view.
// Every pixel of it is opaque (the scene starts from the opaque clear colour,
// and blending a colour over an opaque pixel leaves it opaque), so drawing it
// puts exactly the kept pixels back.
void Game::drawWinPicture() {
  const sf::View view = window.getView();
  window.setView(sf::View(sf::FloatRect({0.f, 0.f}, sf::Vector2f(window.getSize()))));
  window.draw(sf::Sprite(winPicture.texture));
  window.setView(view);
}
