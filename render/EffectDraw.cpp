#include <utility>

#include "app/Game.h"
#include "render/Batch.h"
#include "render/Look.h"

namespace {

sf::Color withAlpha(sf::Color colour, float alpha) {
  colour.a = effectAlpha(alpha);
  return colour;
}

}  // namespace

void ImpactEffects::draw(Canvas& canvas, float tileSize, sf::Vector2f boardOffset) const {
  // Each list goes to the canvas as one batch (render/Batch.h): every strip
  // as its segments, every spark and every piece of confetti as the triangles
  // of its own shape, in list order.
  const float t = tileSize;
  batch::Vertices lines;
  for (const CrackMark& crack : cracks) {
    // Crack points are in tile units, so the star keeps its shape on every level.
    const sf::Vector2f centre{boardOffset.x + static_cast<float>(crack.column) * t + t / 2.f,
                              boardOffset.y + static_cast<float>(crack.row) * t + t / 2.f};
    const sf::Color colour = withAlpha(look::kPaleBlue, crack.alpha);
    for (const CrackStrip& strip : crack.strips) {
      for (std::size_t k = 1; k < strip.size(); ++k) {
        batch::addLine(lines, {centre.x + t * strip[k - 1].x, centre.y + t * strip[k - 1].y},
                       {centre.x + t * strip[k].x, centre.y + t * strip[k].y}, colour);
      }
    }
  }
  canvas.vertices(std::move(lines), sf::PrimitiveType::Lines);

  batch::Vertices dots;
  dots.reserve(sparks.size() * 90);
  sf::CircleShape dot(0.f, 30);
  for (const Spark& spark : sparks) {
    dot.setRadius(spark.radius);
    dot.setOrigin({spark.radius, spark.radius});
    dot.setFillColor(withAlpha(spark.colour, spark.alpha));
    dot.setPosition(spark.position);
    batch::addShape(dots, dot);
  }
  canvas.vertices(std::move(dots), sf::PrimitiveType::Triangles);
}

void Game::drawConfetti(Canvas& canvas) const {
  batch::Vertices pieces;
  pieces.reserve(particles.size() * 6);
  sf::RectangleShape piece;
  for (const Particle& p : particles) {
    piece.setSize({p.width, p.height});
    piece.setOrigin({p.width / 2.f, p.height / 2.f});  // turns about its centre
    piece.setPosition({p.x, p.y});
    piece.setRotation(sf::degrees(p.rotation));
    piece.setFillColor(withAlpha(p.colour, p.alpha));
    batch::addQuad(pieces, piece);
  }
  canvas.vertices(std::move(pieces), sf::PrimitiveType::Triangles);
}
