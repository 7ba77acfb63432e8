#include "tools/Autoplay.h"

#include <vector>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "puzzle/Solver.h"

namespace autoplay {

sf::Event keyPress(Key key) {
  return sf::Event::KeyPressed{key, sf::Keyboard::Scancode::Unknown, false, false, false, false};
}

void send(Game& game, std::initializer_list<sf::Event> events) {
  const auto* next = events.begin();
  game.drainEvents([&]() -> std::optional<sf::Event> {
    return next == events.end() ? std::nullopt : std::optional<sf::Event>(*next++);
  });
}

void press(Game& game, Key key) { send(game, {keyPress(key)}); }

void press(Game& game, std::initializer_list<Key> keys) {
  const auto* next = keys.begin();
  game.drainEvents([&]() -> std::optional<sf::Event> {
    return next == keys.end() ? std::nullopt : std::optional<sf::Event>(keyPress(*next++));
  });
}

void type(Game& game, std::string_view text) {
  for (const char c : text) {
    send(game, {sf::Event::TextEntered{static_cast<unsigned char>(c)}});
  }
}

void frames(Game& game, int count, float dt) {
  for (int i = 0; i < count; ++i) {
    game.update(dt);
  }
}

Key keyOf(MazeStep step) {
  if (step.row != 0) {
    return step.row < 0 ? Key::Up : Key::Down;
  }
  return step.column < 0 ? Key::Left : Key::Right;
}

std::vector<Key> solution(const Game& game) {
  std::vector<Key> keys;
  const auto steps = solveBoard(game.board, game.rows, game.columns,
                                {.row = game.playerRow, .column = game.playerCol});
  for (const MazeStep step : steps.value_or(std::vector<MazeStep>{})) {
    keys.push_back(keyOf(step));
  }
  return keys;
}

void finishSlide(Game& game, float dt) {
  for (int i = 0; i < 100 && game.sliding; ++i) {
    game.update(dt);
  }
}

void play(Game& game, const std::vector<Key>& keys, float dt, int settleFrames) {
  for (const Key key : keys) {
    press(game, key);
    finishSlide(game, dt);
    frames(game, settleFrames, dt);
  }
}

sf::Image drawnFrame(Game& game) {
  game.drawFrame();
  sf::Texture texture(game.window.getSize());
  texture.update(game.window);
  return texture.copyToImage();
}

void readmePictures(Game& game, const std::function<void(const char* name)>& shoot) {
  constexpr float kFrame = 1.f / 60.f;
  gameSrand(20240);  // the same sparks and confetti on every run
  shoot("title");

  // Level 2 after a few moves, caught halfway through the next slide.
  press(game, Key::Num2);
  play(game, {Key::Right, Key::Down, Key::Right, Key::Up, Key::Right}, kFrame, 20);
  press(game, Key::Down);
  frames(game, 4, kFrame);
  shoot("level");

  finishSlide(game, kFrame);
  press(game, {Key::Escape, Key::Down});
  shoot("pause");

  // "VELG NIVÅ" from the pause menu, then level 1 solved, the name prompt
  // skipped and the confetti on its way down.
  press(game, {Key::Down, Key::Enter, Key::Num1});
  play(game, solution(game), kFrame, 20);
  press(game, Key::Escape);
  frames(game, 45, kFrame);
  shoot("win");
}

}  // namespace autoplay
