#pragma once

#include <array>
#include <string>

#include <SFML/System/Time.hpp>

// The two font chains: the game's own face first, then two system fonts.
struct FontPaths {
  std::array<std::string, 3> mono;
  std::array<std::string, 3> display;
};
FontPaths defaultFontPaths();

bool fileExists(const std::string& path);

// The game prints nothing once it runs: standard error goes to the null
// device and SFML's error stream nowhere. A failed reopen leaves standard
// error as it was.
void discardStandardError();

inline constexpr float kMaxFrameTime = 0.05f;

// Seconds of the last frame, at most 0.05: after a stall the game slows down
// instead of jumping.
float clampFrameTime(sf::Time measured);
