// Renders the pictures of the README into docs/: the title screen, a level in
// the middle of a slide, the pause menu and the win screen. It plays the real
// game through its keyboard handler and saves real frames. Run it from the
// repository root (where assets/ lies), with a display or under xvfb-run:
//
//   build/snokrystal_pictures [output-folder]      (default: docs)

#include <filesystem>
#include <iostream>
#include <string>

#include "app/Game.h"
#include "tools/Autoplay.h"

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "docs";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);

  Game game;
  if (!game.fontsLoaded) {
    std::cerr << "no fonts found: run from the repository root after scripts/setup\n";
    return 1;
  }
  bool ok = true;
  autoplay::readmePictures(game, [&](const char* name) {
    const std::filesystem::path file = folder / (std::string(name) + ".png");
    if (!autoplay::drawnFrame(game).saveToFile(file)) {
      std::cerr << "could not write " << file.string() << "\n";
      ok = false;
      return;
    }
    std::cout << file.string() << "\n";
  });
  return ok ? 0 : 1;
}
