#pragma once

// The one-shape draws a canvas sends to the window (render/Canvas.h): each
// shape built on the stack, drawn with the default render states and thrown
// away again.

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/System/Vector2.hpp>

namespace draw {

// A filled rectangle, with an outline when thickness is above zero.
inline void rect(sf::RenderTarget& target, sf::Vector2f position, sf::Vector2f size, sf::Color fill,
                 sf::Color outline = sf::Color::Transparent, float thickness = 0.f) {
  sf::RectangleShape shape(size);
  shape.setPosition(position);
  shape.setFillColor(fill);
  if (thickness > 0.f) {
    shape.setOutlineColor(outline);
    shape.setOutlineThickness(thickness);
  }
  target.draw(shape);
}

// A 30-point circle whose position is its centre.
inline void circle(sf::RenderTarget& target, sf::Vector2f centre, float radius, sf::Color fill,
                   sf::Color outline = sf::Color::Transparent, float thickness = 0.f) {
  sf::CircleShape shape(radius, 30);
  shape.setOrigin({radius, radius});
  shape.setPosition(centre);
  shape.setFillColor(fill);
  if (thickness > 0.f) {
    shape.setOutlineColor(outline);
    shape.setOutlineThickness(thickness);
  }
  target.draw(shape);
}

}  // namespace draw
