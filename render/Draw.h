#pragma once

// Small drawing helpers shared by the screens and overlays. Every shape is
// built on the stack, drawn with the default render states and thrown away
// again; texts come laid out from the frame's text cache (render/TextCache.h).

#include <cstdint>

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/System/String.hpp>
#include <SFML/System/Vector2.hpp>

#include "render/TextCache.h"

namespace draw {

// The game's palette, fully opaque; withAlpha gives the shades.
inline constexpr sf::Color kIceBlue{55, 138, 221, 255};
inline constexpr sf::Color kSnow{216, 232, 248, 255};
inline constexpr sf::Color kAmber{240, 160, 48, 255};
inline constexpr sf::Color kFrost{168, 216, 248, 255};
inline constexpr sf::Color kMarkerGreen{29, 158, 117, 255};

// A colour with its alpha byte replaced; the value is clamped to 0..255.
inline sf::Color withAlpha(sf::Color colour, int alpha) {
  colour.a = static_cast<std::uint8_t>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
  return colour;
}

// An sf::Font that never opened a face must not shape text (SFML asserts on
// it), so every text helper skips such a font.
inline bool hasFace(const sf::Font& font) { return font.getInfo().id != 0; }

// A text at its top-left layout position.
inline void text(sf::RenderTarget& target, const sf::Font& font, const sf::String& string,
                 unsigned size, sf::Color colour, sf::Vector2f position) {
  if (!hasFace(font)) {
    return;
  }
  withText(font, string, size, 1.f, [&](sf::Text& shape) {
    shape.setFillColor(colour);
    shape.setPosition(position);
    target.draw(shape);
  });
}

// Width of a text's local bounds; what the screens centre on.
inline float textWidth(const sf::Font& font, const sf::String& string, unsigned size,
                       float letterSpacing = 1.f) {
  if (!hasFace(font)) {
    return 0.f;
  }
  float width = 0.f;
  withText(font, string, size, letterSpacing,
           [&](sf::Text& shape) { width = shape.getLocalBounds().size.x; });
  return width;
}

// A text centred on centreX: placed at centreX - width / 2, ignoring the
// bounds' left offset; y is the top of its layout box.
inline void centredText(sf::RenderTarget& target, const sf::Font& font, const sf::String& string,
                        unsigned size, sf::Color colour, float centreX, float y,
                        float letterSpacing = 1.f) {
  if (!hasFace(font)) {
    return;
  }
  withText(font, string, size, letterSpacing, [&](sf::Text& shape) {
    shape.setFillColor(colour);
    shape.setPosition({centreX - shape.getLocalBounds().size.x / 2.f, y});
    target.draw(shape);
  });
}

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

// The window's current size as floats; the screens lay out from it.
inline sf::Vector2f targetSize(const sf::RenderTarget& target) {
  return {static_cast<float>(target.getSize().x), static_cast<float>(target.getSize().y)};
}

}  // namespace draw
