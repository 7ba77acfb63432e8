#pragma once

// One layer of a frame, written down as draw calls before any of them reaches
// the window. The screens record into a canvas; draw() then sends the calls to
// the window in order, each shape on its own and each batch (render/Batch.h)
// as one call, all with the default render states. Two recordings that
// compare equal put the same pixels into the same window: the comparison
// covers everything a layer draws because it is the drawing itself, which is
// what lets the win screen's kept picture stand in for it (render/Frame.cpp).
//
// A canvas owns the texts it draws, laid out: the n-th text of every
// recording is the same sf::Text, given new settings only where they changed,
// and SFML lays a text out again only then. A screen that stands still
// shapes no text.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <variant>
#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/PrimitiveType.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transform.hpp>
#include <SFML/System/String.hpp>
#include <SFML/System/Vector2.hpp>

#include "render/Batch.h"

struct Canvas {
  struct Clear {
    sf::Color colour;
    friend bool operator==(const Clear&, const Clear&) = default;
  };
  // A sprite of the whole texture at (0, 0). Textures count by identity:
  // the only one drawn, the backdrop, never changes once it is made.
  struct Picture {
    const sf::Texture* texture = nullptr;
    friend bool operator==(const Picture&, const Picture&) = default;
  };
  // A rectangle, or a 30-point circle centred on its position.
  struct Shape {
    bool circle = false;
    sf::Vector2f position;
    sf::Vector2f size;  // a circle's radius in x
    sf::Color fill;
    sf::Color outline;
    float thickness = 0.f;
    friend bool operator==(const Shape&, const Shape&) = default;
  };
  struct Vertices {
    batch::Vertices vertices;
    sf::PrimitiveType type = sf::PrimitiveType::Triangles;
    friend bool operator==(const Vertices& a, const Vertices& b);
  };
  // Text number `slot`, with every setting the canvas gives it. The face
  // counts too: a font that opens another file keeps its address.
  struct Label {
    std::size_t slot = 0;
    const sf::Font* font = nullptr;
    std::uint64_t face = 0;
    sf::String string;
    unsigned size = 0;
    float letterSpacing = 1.f;
    sf::Color colour;
    sf::Vector2f position;
    friend bool operator==(const Label&, const Label&) = default;
  };
  using Call = std::variant<Clear, Picture, Shape, Vertices, Label>;

  // The calls, and the window they were laid out for: its size, and its
  // view (the transform, the viewport and the scissor are all a view does).
  struct Recording {
    sf::Vector2u targetSize;
    sf::Transform view;
    sf::FloatRect viewport;
    sf::FloatRect scissor;
    std::vector<Call> calls;
    friend bool operator==(const Recording&, const Recording&) = default;
  };

  Recording recording;
  std::deque<sf::Text> texts;  // by slot; a deque keeps them in place as it grows
  std::size_t textsUsed = 0;

  // Starts a recording for this target; the texts stay laid out.
  void restart(const sf::RenderTarget& target);
  // Sends the recorded calls to the target, in order.
  void draw(sf::RenderTarget& target);
  // The target's size, which the screens lay out from.
  sf::Vector2f size() const;

  void clear(sf::Color colour);
  void picture(const sf::Texture& texture);
  // A filled rectangle, with an outline when thickness is above zero.
  void rect(sf::Vector2f position, sf::Vector2f size, sf::Color fill,
            sf::Color outline = sf::Color::Transparent, float thickness = 0.f);
  // A 30-point circle whose position is its centre.
  void circle(sf::Vector2f centre, float radius, sf::Color fill,
              sf::Color outline = sf::Color::Transparent, float thickness = 0.f);
  void vertices(batch::Vertices list, sf::PrimitiveType type);

  // Texts, drawn only with a font that opened a face (SFML asserts on
  // shaping with one that did not). A text's position is the top-left of its
  // layout box; a centred one is placed at centreX minus half the width of
  // its local bounds, their left offset unused.
  void text(const sf::Font& font, const sf::String& string, unsigned size, sf::Color colour,
            sf::Vector2f position, float letterSpacing = 1.f);
  void centredText(const sf::Font& font, const sf::String& string, unsigned size, sf::Color colour,
                   float centreX, float y, float letterSpacing = 1.f);
  // The width of a text's local bounds, measured without drawing it.
  float textWidth(const sf::Font& font, const sf::String& string, unsigned size,
                  float letterSpacing = 1.f);

  // Lays the next text slot out with these settings; its number.
  std::size_t layOut(const sf::Font& font, const sf::String& string, unsigned size,
                     float letterSpacing);
  void place(std::size_t slot, sf::Color colour, sf::Vector2f position);
};
