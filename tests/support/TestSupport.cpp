#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>

#include "app/Game.h"
#include "fx/GameRandom.h"

namespace test {

sf::Event keyPress(sf::Keyboard::Key key) {
  return sf::Event::KeyPressed{key, sf::Keyboard::Scancode::Unknown, false, false, false, false};
}

namespace {

void drain(Game& game, const std::vector<sf::Event>& events) {
  auto next = events.begin();
  game.drainEvents([&]() -> std::optional<sf::Event> {
    return next == events.end() ? std::nullopt : std::optional<sf::Event>(*next++);
  });
}

std::vector<std::string> wallRows(const Board& board, bool Cell::* wall) {
  std::vector<std::string> rows;
  for (const auto& row : board) {
    std::string text;
    for (const Cell& cell : row) text += cell.*wall ? '1' : '0';
    rows.push_back(text);
  }
  return rows;
}

}  // namespace

void send(Game& game, std::initializer_list<sf::Event> events) { drain(game, events); }

void press(Game& game, sf::Keyboard::Key key) { send(game, {keyPress(key)}); }

void press(Game& game, std::initializer_list<sf::Keyboard::Key> keys) {
  std::vector<sf::Event> events;
  for (const sf::Keyboard::Key key : keys) events.push_back(keyPress(key));
  drain(game, events);
}

void type(Game& game, const std::string& text) {
  for (const char c : text) send(game, {textEntered(static_cast<unsigned char>(c))});
}

void advance(Game& game, float dt, int frames) {
  for (int i = 0; i < frames; ++i) game.update(dt);
}

void move(Game& game, sf::Keyboard::Key key) {
  press(game, key);
  advance(game, 0.05f, 3);
}

sf::Image capture(Game& game) {
  game.drawFrame();
  return grab(game.window);
}

sf::Image capture(Game& game, const std::string& inspectionName) {
  sf::Image image = capture(game);
  saveForInspection(image, inspectionName);
  return image;
}

sf::Image grab(sf::RenderWindow& window) {
  sf::Texture texture(window.getSize());
  texture.update(window);
  return texture.copyToImage();
}

std::vector<std::string> eastWalls(const Board& board) { return wallRows(board, &Cell::eastWall); }

std::vector<std::string> southWalls(const Board& board) {
  return wallRows(board, &Cell::southWall);
}

Board openBoard(int rows, int columns) {
  Board board(static_cast<std::size_t>(rows),
              std::vector<Cell>(static_cast<std::size_t>(columns), Cell{false, false}));
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

sf::Color blend(sf::Color dst, sf::Color src) {
  const float a = static_cast<float>(src.a) / 255.f;
  const auto mix = [a](std::uint8_t d, std::uint8_t s) {
    return static_cast<std::uint8_t>(static_cast<float>(s) * a + static_cast<float>(d) * (1.f - a) +
                                     0.5f);
  };
  return {mix(dst.r, src.r), mix(dst.g, src.g), mix(dst.b, src.b), 255};
}

::testing::AssertionResult colourNear(const sf::Image& image, unsigned x, unsigned y,
                                      sf::Color expected, int tolerance) {
  if (x >= image.getSize().x || y >= image.getSize().y) {
    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") lies outside the image";
  }
  const sf::Color actual = image.getPixel({x, y});
  const auto near = [tolerance](std::uint8_t a, std::uint8_t b) {
    return std::abs(static_cast<int>(a) - static_cast<int>(b)) <= tolerance;
  };
  if (near(actual.r, expected.r) && near(actual.g, expected.g) && near(actual.b, expected.b)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << x << ", " << y << ") is rgb(" << int{actual.r} << ", " << int{actual.g}
         << ", " << int{actual.b} << "), expected rgb(" << int{expected.r} << ", "
         << int{expected.g} << ", " << int{expected.b} << ") within " << tolerance;
}

void saveForInspection(const sf::Image& image, const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "snokrystal-shots";
  std::filesystem::create_directories(dir);
  [[maybe_unused]] const bool saved = image.saveToFile(dir / (name + ".png"));
}

}  // namespace test
