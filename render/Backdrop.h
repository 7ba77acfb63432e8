#pragma once

// The backdrop under every screen: the clear colour with a faint one-pixel
// grid every 60 pixels, over the top-left 1280x720 pixels (Game::drawBackdrop).

#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

inline constexpr sf::Color kBackdropColour{4, 8, 16, 255};
inline constexpr sf::Color kGridColour{29, 158, 117, 10};
inline constexpr unsigned kGridStep = 60;

// The grid lines of a picture of the given size, in drawing order: the rows
// from the top, then the columns from the left.
inline std::vector<sf::FloatRect> backdropGridLines(sf::Vector2u size) {
  std::vector<sf::FloatRect> lines;
  const sf::Vector2f extent(size);
  for (unsigned y = 0; y < size.y; y += kGridStep) {
    lines.push_back({{0.f, static_cast<float>(y)}, {extent.x, 1.f}});
  }
  for (unsigned x = 0; x < size.x; x += kGridStep) {
    lines.push_back({{static_cast<float>(x), 0.f}, {1.f, extent.y}});
  }
  return lines;
}
