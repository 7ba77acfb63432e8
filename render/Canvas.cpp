#include "render/Canvas.h"

#include <algorithm>
#include <utility>

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/View.hpp>

#include "render/Draw.h"

namespace {

// An sf::Font that never opened a face must not shape text.
bool hasFace(const sf::Font& font) { return font.getInfo().id != 0; }

// Calls into the target, one kind each.
struct Send {
  sf::RenderTarget& target;
  std::deque<sf::Text>& texts;

  void operator()(const Canvas::Clear& call) const { target.clear(call.colour); }
  void operator()(const Canvas::Picture& call) const { target.draw(sf::Sprite(*call.texture)); }
  void operator()(const Canvas::Shape& call) const {
    if (call.circle) {
      draw::circle(target, call.position, call.size.x, call.fill, call.outline, call.thickness);
    } else {
      draw::rect(target, call.position, call.size, call.fill, call.outline, call.thickness);
    }
  }
  void operator()(const Canvas::Vertices& call) const {
    target.draw(call.vertices.data(), call.vertices.size(), call.type);
  }
  void operator()(const Canvas::Label& call) const { target.draw(texts[call.slot]); }
};

}  // namespace

bool operator==(const Canvas::Vertices& a, const Canvas::Vertices& b) {
  return a.type == b.type &&
         std::ranges::equal(a.vertices, b.vertices, [](const sf::Vertex& p, const sf::Vertex& q) {
           return p.position == q.position && p.color == q.color && p.texCoords == q.texCoords;
         });
}

void Canvas::restart(const sf::RenderTarget& target) {
  const sf::View& view = target.getView();
  recording.targetSize = target.getSize();
  recording.view = view.getTransform();
  recording.viewport = view.getViewport();
  recording.scissor = view.getScissor();
  recording.calls.clear();
  textsUsed = 0;
}

void Canvas::draw(sf::RenderTarget& target) {
  for (const Call& call : recording.calls) {
    std::visit(Send{target, texts}, call);
  }
}

sf::Vector2f Canvas::size() const { return sf::Vector2f(recording.targetSize); }

void Canvas::clear(sf::Color colour) { recording.calls.emplace_back(Clear{colour}); }

void Canvas::picture(const sf::Texture& texture) {
  recording.calls.emplace_back(Picture{&texture});
}

void Canvas::rect(sf::Vector2f position, sf::Vector2f size, sf::Color fill, sf::Color outline,
                  float thickness) {
  recording.calls.emplace_back(Shape{false, position, size, fill, outline, thickness});
}

void Canvas::circle(sf::Vector2f centre, float radius, sf::Color fill, sf::Color outline,
                    float thickness) {
  recording.calls.emplace_back(Shape{true, centre, {radius, 0.f}, fill, outline, thickness});
}

void Canvas::vertices(batch::Vertices list, sf::PrimitiveType type) {
  if (!list.empty()) {
    recording.calls.emplace_back(Vertices{std::move(list), type});
  }
}

std::size_t Canvas::layOut(const sf::Font& font, const sf::String& string, unsigned size,
                           float letterSpacing) {
  if (textsUsed == texts.size()) {
    texts.emplace_back(font, string, size);
  }
  sf::Text& text = texts[textsUsed];
  // Each setter lays the text out again only when its value changes.
  text.setFont(font);
  text.setString(string);
  text.setCharacterSize(size);
  text.setLetterSpacing(letterSpacing);
  return textsUsed++;
}

void Canvas::place(std::size_t slot, sf::Color colour, sf::Vector2f position) {
  sf::Text& text = texts[slot];
  text.setFillColor(colour);
  text.setPosition(position);
  recording.calls.emplace_back(Label{.slot = slot,
                                     .font = &text.getFont(),
                                     .face = text.getFont().getInfo().id,
                                     .string = text.getString(),
                                     .size = text.getCharacterSize(),
                                     .letterSpacing = text.getLetterSpacing(),
                                     .colour = colour,
                                     .position = position});
}

void Canvas::text(const sf::Font& font, const sf::String& string, unsigned size, sf::Color colour,
                  sf::Vector2f position, float letterSpacing) {
  if (hasFace(font)) {
    place(layOut(font, string, size, letterSpacing), colour, position);
  }
}

void Canvas::centredText(const sf::Font& font, const sf::String& string, unsigned size,
                         sf::Color colour, float centreX, float y, float letterSpacing) {
  if (hasFace(font)) {
    const std::size_t slot = layOut(font, string, size, letterSpacing);
    place(slot, colour, {centreX - texts[slot].getLocalBounds().size.x / 2.f, y});
  }
}

float Canvas::textWidth(const sf::Font& font, const sf::String& string, unsigned size,
                        float letterSpacing) {
  if (!hasFace(font)) {
    return 0.f;
  }
  return texts[layOut(font, string, size, letterSpacing)].getLocalBounds().size.x;
}
