// Renders the pictures of the README into docs/: the title screen, a level in
// the middle of a slide, the pause menu and the win screen. It plays the real
// game through its keyboard handler and saves real frames. Run it from the
// repository root (where assets/ lies), with a display or under xvfb-run:
//
//   build/snokrystal_pictures [output-folder]      (default: docs)

#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <string>

#include "app/Game.h"
#include "fx/GameRandom.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr float kFrame = 1.f / 60.f;

void press(Game& game, Key key) {
  game.handleEvent(
      sf::Event::KeyPressed{key, sf::Keyboard::Scancode::Unknown, false, false, false, false});
}

void frames(Game& game, int count) {
  for (int i = 0; i < count; ++i) {
    game.update(kFrame);
  }
}

// Each key, then frames until its slide has come to rest.
void play(Game& game, std::initializer_list<Key> keys) {
  for (const Key key : keys) {
    press(game, key);
    while (game.sliding) {
      game.update(kFrame);
    }
    frames(game, 20);
  }
}

bool save(Game& game, const std::filesystem::path& file) {
  game.drawFrame();
  sf::Texture texture(game.window.getSize());
  texture.update(game.window);
  if (!texture.copyToImage().saveToFile(file)) {
    std::cerr << "could not write " << file.string() << "\n";
    return false;
  }
  std::cout << file.string() << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "docs";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);

  Game game;
  if (!game.fontsLoaded) {
    std::cerr << "no fonts found: run from the repository root after scripts/setup\n";
    return 1;
  }
  gameSrand(20240);  // the same sparks and confetti on every run
  bool ok = save(game, folder / "title.png");

  // Level 2 after a few moves, caught halfway through the next slide.
  press(game, Key::Num2);
  play(game, {Key::Right, Key::Down, Key::Right, Key::Up, Key::Right});
  press(game, Key::Down);
  for (int i = 0; i < 4 && game.sliding; ++i) {
    game.update(kFrame);
  }
  ok = save(game, folder / "level.png") && ok;

  for (int i = 0; i < 20 && game.sliding; ++i) {
    game.update(kFrame);
  }
  press(game, Key::Escape);
  press(game, Key::Down);
  ok = save(game, folder / "pause.png") && ok;

  // Level 1 solved, the name prompt skipped, the confetti on its way down.
  // "VELG NIVÅ" from the pause menu, then level 1.
  press(game, Key::Down);
  press(game, Key::Enter);
  press(game, Key::Num1);
  play(game, {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right});
  press(game, Key::Escape);
  frames(game, 45);
  ok = save(game, folder / "win.png") && ok;
  return ok ? 0 : 1;
}
