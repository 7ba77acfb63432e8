#pragma once

// Plays the game through its own event handler, as a player at the keyboard
// would. Shared by the tests, the fuzz targets, the benchmark and the picture
// tool; it checks nothing itself.

#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

#include <SFML/Graphics/Image.hpp>
#include <SFML/Window/Event.hpp>

#include "puzzle/Maze.h"

struct Game;

namespace autoplay {

using Key = sf::Keyboard::Key;

sf::Event keyPress(Key key);

// Events through the game's handler in one drain, which stops, like the
// window's, at the event that closes the window.
void send(Game& game, std::initializer_list<sf::Event> events);
void press(Game& game, Key key);
void press(Game& game, std::initializer_list<Key> keys);
void type(Game& game, std::string_view text);  // one text event per byte

void frames(Game& game, int count, float dt);

// The arrow key of a step, and the fewest slides from the figure's cell to
// the goal as keys (empty when there is no way).
Key keyOf(MazeStep step);
std::vector<Key> solution(const Game& game);

// Runs frames of dt until the slide in progress has ended.
void finishSlide(Game& game, float dt);
// Presses each key and finishes its slide, then runs settleFrames more.
void play(Game& game, const std::vector<Key>& keys, float dt, int settleFrames = 0);

// The frame drawn (not presented) and read back from the window: what the
// picture tool saves and the frames test compares.
sf::Image drawnFrame(Game& game);

// The README's pictures (docs/): plays the scenes from a fresh game and hands
// each one's name over once its frame is set up.
void readmePictures(Game& game, const std::function<void(const char* name)>& shoot);

}  // namespace autoplay
