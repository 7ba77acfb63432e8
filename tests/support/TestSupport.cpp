#include "support/TestSupport.h"

#include <filesystem>

#include "app/Game.h"
#include "fx/GameRandom.h"

namespace test {

void advance(Game& game, int frames, float dt) { autoplay::frames(game, frames, dt); }

sf::Image capture(Game& game) {
  game.drawFrame();
  return grab(game.window);
}

sf::Image grab(sf::RenderWindow& window) {
  sf::Texture texture(window.getSize());
  texture.update(window);
  return texture.copyToImage();
}

std::string saveForInspection(const sf::Image& image, const std::string& name) {
  const auto file = std::filesystem::path(SNOKRYSTAL_FRAMES_OUT) / (name + ".png");
  std::filesystem::create_directories(file.parent_path());
  static_cast<void>(image.saveToFile(file));
  return file.string();
}

Board openBoard(int rows, int columns) {
  Board board(std::size_t(rows), std::vector<Cell>(std::size_t(columns), Cell{false, false}));
  for (auto& row : board) row.back().eastWall = true;
  for (Cell& cell : board.back()) cell.southWall = true;
  return board;
}

std::uint32_t stepBack(std::uint32_t state, std::uint32_t a, std::uint32_t c) {
  std::uint32_t inverse = a;  // a is odd, so invertible modulo 2^32 (Newton's iteration)
  for (int i = 0; i < 5; ++i) inverse *= 2u - a * inverse;
  return (state - c) * inverse;
}

std::vector<int> randDraws(std::uint32_t seed, int count) {
  gameSrand(seed);
  std::vector<int> values(static_cast<std::size_t>(count));
  for (int& value : values) value = gameRand();
  gameSrand(seed);
  return values;
}

}  // namespace test
