#include <cstddef>

#include "app/Game.h"

namespace {

using Key = sf::Keyboard::Key;

bool isUp(Key key) { return key == Key::Up || key == Key::W; }
bool isDown(Key key) { return key == Key::Down || key == Key::S; }
bool isConfirm(Key key) { return key == Key::Enter || key == Key::Space; }

void handleTitleKey(Game& game, Key key) {
  if (isUp(key)) {
    game.menuSelection = (game.menuSelection + kLevelCount - 1) % kLevelCount;
  } else if (isDown(key)) {
    game.menuSelection = (game.menuSelection + 1) % kLevelCount;
  } else if (isConfirm(key)) {
    game.startLevel(game.menuSelection);
  } else if (key >= Key::Num1 && key <= Key::Num5) {
    game.startLevel(static_cast<int>(key) - static_cast<int>(Key::Num1));
  }
}

void handlePlayingKey(Game& game, Key key) {
  switch (key) {
    case Key::Up:
    case Key::W:
      game.tryMove(-1, 0);
      break;
    case Key::Down:
    case Key::S:
      game.tryMove(1, 0);
      break;
    case Key::Left:
    case Key::A:
      game.tryMove(0, -1);
      break;
    case Key::Right:
    case Key::D:
      game.tryMove(0, 1);
      break;
    case Key::Escape:
      game.togglePause();
      break;
    case Key::R:
      game.startLevel(game.levelIndex);
      break;
    case Key::M:
      game.soundBank.enabled = !game.soundBank.enabled;
      break;
    case Key::F11:
      game.toggleFullscreen();
      break;
    default:
      break;
  }
}

// The pause menu and the win menu.
void handleMenuKey(Game& game, Key key) {
  const int count = static_cast<int>(game.menuItems.size());
  if (isUp(key)) {
    if (count > 0) {
      game.menuSelection = (game.menuSelection - 1 + count) % count;
    }
  } else if (isDown(key)) {
    if (count > 0) {
      game.menuSelection = (game.menuSelection + 1) % count;
    }
  } else if (isConfirm(key)) {
    if (game.menuSelection >= 0 && game.menuSelection < count) {
      // A copy: the action may empty the list that holds its own item.
      const std::function<void()> action =
          game.menuItems[static_cast<std::size_t>(game.menuSelection)].action;
      if (action) {
        action();
      }
    }
  } else if (key == Key::Escape && game.state == GameState::Paused) {
    game.togglePause();
  }
}

void handleWonKey(Game& game, Key key) {
  if (game.nameEntryActive) {
    // Typed characters arrive as text events; Escape alone leaves the entry.
    if (key == Key::Escape) {
      game.nameEntryActive = false;
    }
  } else if (game.resultReady) {
    if (isConfirm(key)) {
      game.resultReady = false;
    }
  } else {
    handleMenuKey(game, key);
  }
}

void handleText(Game& game, char32_t code) {
  if (game.state != GameState::Won || !game.nameEntryActive || game.nameInputCooldown > 0.f) {
    return;
  }
  if (code == 8) {
    if (!game.playerName.empty()) {
      game.playerName.pop_back();
    }
  } else if (code == 13) {
    game.submitName();
  } else if (code >= 32 && code <= 126 && game.playerName.size() < kLongestName) {
    game.playerName.push_back(static_cast<char>(code));
  }
}

}  // namespace

bool Game::handleEvent(const sf::Event& event) {
  if (event.is<sf::Event::Closed>()) {
    window.close();
    return false;
  }
  if (const auto* resized = event.getIf<sf::Event::Resized>()) {
    // Keep one pixel per pixel, so screens laid out from the size stay put.
    window.setView(sf::View(sf::FloatRect({0.f, 0.f}, sf::Vector2f(resized->size))));
  } else if (const auto* text = event.getIf<sf::Event::TextEntered>()) {
    handleText(*this, text->unicode);
  } else if (const auto* key = event.getIf<sf::Event::KeyPressed>()) {
    switch (state) {
      case GameState::Menu:
        handleTitleKey(*this, key->code);
        break;
      case GameState::Playing:
        handlePlayingKey(*this, key->code);
        break;
      case GameState::Paused:
        handleMenuKey(*this, key->code);
        break;
      case GameState::Won:
        handleWonKey(*this, key->code);
        break;
    }
  }
  // "AVSLUTT" closes the window too; nothing after it is handled.
  return window.isOpen();
}
