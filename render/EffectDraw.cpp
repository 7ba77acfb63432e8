#include "app/Game.h"

namespace {

const sf::Color kCrackColour{168, 216, 248, 255};

sf::Color withAlpha(sf::Color colour, float alpha) {
  colour.a = effectAlpha(alpha);
  return colour;
}

}  // namespace

void ImpactEffects::draw(sf::RenderTarget& target, float tileSize, sf::Vector2f boardOffset) const {
  const float t = tileSize;
  for (const CrackMark& crack : cracks) {
    // Crack points are in tile units, so the star keeps its shape on every level.
    const sf::Vector2f centre{boardOffset.x + static_cast<float>(crack.column) * t + t / 2.f,
                              boardOffset.y + static_cast<float>(crack.row) * t + t / 2.f};
    const sf::Color colour = withAlpha(kCrackColour, crack.alpha);
    for (const CrackStrip& strip : crack.strips) {
      sf::VertexArray line(sf::PrimitiveType::LineStrip, strip.size());
      for (std::size_t k = 0; k < strip.size(); ++k) {
        line[k].position = {centre.x + t * strip[k].x, centre.y + t * strip[k].y};
        line[k].color = colour;
      }
      target.draw(line);
    }
  }
  sf::CircleShape dot(0.f, 30);
  for (const Spark& spark : sparks) {
    dot.setRadius(spark.radius);
    dot.setOrigin({spark.radius, spark.radius});
    dot.setFillColor(withAlpha(spark.colour, spark.alpha));
    dot.setPosition(spark.position);
    target.draw(dot);
  }
}

void Game::drawConfetti() {
  sf::RectangleShape piece;
  for (const Particle& p : particles) {
    piece.setSize({p.width, p.height});
    piece.setOrigin({p.width / 2.f, p.height / 2.f});  // turns about its centre
    piece.setPosition({p.x, p.y});
    piece.setRotation(sf::degrees(p.rotation));
    piece.setFillColor(withAlpha(p.colour, p.alpha));
    window.draw(piece);
  }
}
