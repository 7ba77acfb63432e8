#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <SFML/Graphics.hpp>

struct Game;

namespace test {

// Real events, as the window would deliver them.
sf::Event keyPress(sf::Keyboard::Key key);
sf::Event textEntered(char32_t character);
sf::Event closed();
sf::Event resized(unsigned width, unsigned height);
sf::Event focusLost();

// Feeds events through the game's own handler, in order; stops like the
// window's drain does when an event closes the window.
void send(Game& game, std::initializer_list<sf::Event> events);
void press(Game& game, sf::Keyboard::Key key);
void type(Game& game, const std::string& text);  // text events, one per byte

// Runs update(dt) for the given number of frames.
void advance(Game& game, float dt, int frames = 1);

// Draws the current frame (without presenting it) and reads it back.
sf::Image capture(Game& game);

// What the frame buffer holds after drawing src over dst with alpha blending.
sf::Color blend(sf::Color dst, sf::Color src);
sf::Color opaque(sf::Color colour);

// A pixel within tolerance (per channel, red/green/blue only).
::testing::AssertionResult colourNear(const sf::Image& image, unsigned x, unsigned y,
                                      sf::Color expected, int tolerance = 2);

// Saves an image for a person to look at when a screenshot test fails.
void saveForInspection(const sf::Image& image, const std::string& name);

inline constexpr sf::Color kClearColour{4, 8, 16, 255};

// A temporary directory that is removed again.
struct TempDir {
  std::filesystem::path path;
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
};

// Changes the working directory for the lifetime of the object.
struct WorkingDirectory {
  std::filesystem::path previous;
  explicit WorkingDirectory(const std::filesystem::path& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
};

}  // namespace test
