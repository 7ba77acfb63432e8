#pragma once

// The backdrop under every screen: the clear colour with a faint one-pixel
// grid every 60 pixels, drawn once into Game::background at start-up.

#include <SFML/Graphics/Color.hpp>

inline constexpr sf::Color kBackdropColour{4, 8, 16, 255};
inline constexpr sf::Color kGridColour{29, 158, 117, 10};
inline constexpr unsigned kGridStep = 60;
