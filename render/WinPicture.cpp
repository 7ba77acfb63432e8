#include "render/WinPicture.h"

#include <utility>

#include "app/Game.h"

WinPictureKey winPictureKey(const Game& game) {
  const sf::View& view = game.window.getView();
  WinPictureKey key{
      .windowSize = game.window.getSize(),
      .viewCentre = view.getCenter(),
      .viewSize = view.getSize(),
      .viewRotation = view.getRotation(),
      .viewport = view.getViewport(),
      .scissor = view.getScissor(),
      .backgroundReady = game.backgroundReady,
      .fontsLoaded = game.fontsLoaded,
      .monoFace = game.monoFont.getInfo().id,
      .displayFace = game.displayFont.getInfo().id,
      .hud = *game.hud,
      .levelIndex = game.levelIndex,
      .board = game.board,
      .columns = game.columns,
      .rows = game.rows,
      .tileSize = game.tileSize,
      .boardOffset = game.boardOffset,
      .trail = game.trail,
      .effects = game.effects,
      .playerPosition = game.playerPosition(),
      .idlePhase = game.idlePhase,
      .sliding = game.sliding,
      .slideProgress = game.slideProgress,
      .elapsedTime = game.elapsedTime,
      .moves = game.moves,
      .bestRecords = game.bestRecords,
      .menuLabels = {},
      .menuPrimary = {},
      .menuSelection = 0,
      .nameEntryActive = game.nameEntryActive,
      .resultReady = game.resultReady,
      .resultOk = game.lastResult.ok,
      .resultPlace = game.lastResult.place,
      .resultTotal = game.lastResult.total,
  };
  // A menu in use is drawn over the picture, not in it.
  if (!game.winMenuInUse()) {
    for (const MenuItem& item : game.menuItems) {
      key.menuLabels.push_back(item.label);
      key.menuPrimary.push_back(item.primary);
    }
    key.menuSelection = game.menuSelection;
  }
  return key;
}

// Called right after drawScene: the window holds the win screen under its top
// layer, exactly as this frame shows it.
void Game::keepWinPicture(WinPictureKey key) {
  winPicture.shows.reset();
  const sf::Vector2u size = window.getSize();
  if (winPicture.texture.getSize() != size && !winPicture.texture.resize(size)) {
    return;  // no copy: every frame draws the screen itself
  }
  winPicture.texture.update(window);
  winPicture.shows = std::move(key);
  ++winPicture.made;
}

// The copy covers the window pixel for pixel, whatever the window's view.
// Every pixel of it is opaque (the frame starts from the opaque clear colour,
// and blending a colour over an opaque pixel leaves it opaque), so drawing it
// puts exactly the kept pixels back.
void Game::drawWinPicture() {
  const sf::View view = window.getView();
  window.setView(sf::View(sf::FloatRect({0.f, 0.f}, sf::Vector2f(window.getSize()))));
  window.draw(sf::Sprite(winPicture.texture));
  window.setView(view);
}
