#include "support/TestSupport.h"

#include <filesystem>

#include "app/Game.h"

namespace test {

sf::Image capture(Game& game) {
  game.drawFrame();
  sf::Texture texture(game.window.getSize());
  texture.update(game.window);
  return texture.copyToImage();
}

std::string saveForInspection(const sf::Image& image, const std::string& name) {
  const auto file = std::filesystem::path(SNOKRYSTAL_FRAMES_OUT) / (name + ".png");
  std::filesystem::create_directories(file.parent_path());
  static_cast<void>(image.saveToFile(file));
  return file.string();
}

}  // namespace test
