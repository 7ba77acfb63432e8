#pragma once

// Many small shapes in one draw call. On a software renderer every draw call
// costs about as much as a few hundred pixels, and a busy board has hundreds of
// them. These helpers append to one list of vertices the outline SFML gives
// each shape when it is drawn on its own, every point moved by the shape's
// transform. Drawn with the default render states, the triangles blend one
// after another in the same order as the separate shapes would.
//
// A circle keeps SFML's own fan of triangles around its centre. A four-sided
// shape becomes two triangles instead of SFML's four: the rasteriser's fill
// rule gives every pixel centre inside the same outline to exactly one
// triangle however it is cut, so the pixels are the same.

#include <cstddef>
#include <vector>

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/PrimitiveType.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Shape.hpp>
#include <SFML/Graphics/Vertex.hpp>

namespace batch {

using Vertices = std::vector<sf::Vertex>;

// A filled shape without outline, as SFML's fan of triangles.
inline void addShape(Vertices& triangles, const sf::Shape& shape) {
  const std::size_t count = shape.getPointCount();
  const sf::Color fill = shape.getFillColor();
  // Fewer than three points draw nothing; a transparent fill blends to nothing.
  if (count < 3 || fill.a == 0) {
    return;
  }
  const sf::Transform& transform = shape.getTransform();
  const sf::Vertex hub{transform.transformPoint(shape.getGeometricCenter()), fill};
  const sf::Vertex first{transform.transformPoint(shape.getPoint(0)), fill};
  sf::Vertex previous = first;
  for (std::size_t i = 1; i <= count; ++i) {
    const sf::Vertex next =
        i < count ? sf::Vertex{transform.transformPoint(shape.getPoint(i)), fill} : first;
    triangles.push_back(hub);
    triangles.push_back(previous);
    triangles.push_back(next);
    previous = next;
  }
}

// A filled four-sided convex shape without outline, as two triangles.
inline void addQuad(Vertices& triangles, const sf::Shape& shape) {
  const sf::Color fill = shape.getFillColor();
  if (shape.getPointCount() != 4 || fill.a == 0) {
    addShape(triangles, shape);
    return;
  }
  const sf::Transform& transform = shape.getTransform();
  const sf::Vertex a{transform.transformPoint(shape.getPoint(0)), fill};
  const sf::Vertex b{transform.transformPoint(shape.getPoint(1)), fill};
  const sf::Vertex c{transform.transformPoint(shape.getPoint(2)), fill};
  const sf::Vertex d{transform.transformPoint(shape.getPoint(3)), fill};
  for (const sf::Vertex& corner : {a, b, c, a, c, d}) {
    triangles.push_back(corner);
  }
}

// What draw::rect draws, without outline.
inline void addRect(Vertices& triangles, sf::Vector2f position, sf::Vector2f size, sf::Color fill) {
  sf::RectangleShape shape(size);
  shape.setPosition(position);
  shape.setFillColor(fill);
  addQuad(triangles, shape);
}

// What draw::circle draws, without outline: 30 points, centred on centre.
inline void addCircle(Vertices& triangles, sf::Vector2f centre, float radius, sf::Color fill) {
  sf::CircleShape shape(radius, 30);
  shape.setOrigin({radius, radius});
  shape.setPosition(centre);
  shape.setFillColor(fill);
  addShape(triangles, shape);
}

// One-pixel lines, two vertices each.
inline void addLine(Vertices& lines, sf::Vector2f from, sf::Vector2f to, sf::Color colour) {
  lines.push_back({from, colour});
  lines.push_back({to, colour});
}

inline void draw(sf::RenderTarget& target, const Vertices& vertices, sf::PrimitiveType type) {
  if (!vertices.empty()) {
    target.draw(vertices.data(), vertices.size(), type);
  }
}

}  // namespace batch
