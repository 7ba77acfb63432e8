#include "tools/IconArt.h"

#include <algorithm>
#include <optional>

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/View.hpp>

#include "render/Draw.h"
#include "render/Look.h"

namespace icon {
namespace {

// One size's drawing, in pixels of that size. The tile fills the picture but
// for `margin`; the crystal's six arms reach `arm` from the centre, with
// `branches` pairs of side branches each.
struct Crystal {
  unsigned size;
  float margin, corner, border;
  float arm, armWidth;
  int branches;
  float branchWidth;
  float hub;  // the centre: a snow-white dot, on a blue hexagon from 64 pixels up
};

// Vertical arms of even width on the centre line keep their edges on pixel
// edges; 16 and 20 have bare arms, 24 and 32 one pair of branches, the larger
// ones two or three, with round tips and a glow from 40 up and a centre plate
// from 64 up.
constexpr std::array<Crystal, kSizes.size()> kCrystals{{
    {16, 0.f, 3.f, 1.f, 6.f, 2.f, 0, 0.f, 1.5f},
    {20, 0.f, 4.f, 1.f, 7.5f, 2.f, 0, 0.f, 1.75f},
    {24, 0.f, 4.5f, 1.f, 9.f, 2.f, 1, 1.5f, 2.f},
    {32, 1.f, 6.f, 1.f, 11.5f, 2.f, 1, 2.f, 2.5f},
    {40, 1.f, 7.f, 1.5f, 14.5f, 2.5f, 2, 1.75f, 3.f},
    {48, 1.f, 8.5f, 1.5f, 17.5f, 3.f, 2, 2.f, 3.5f},
    {64, 2.f, 11.f, 2.f, 23.f, 3.5f, 2, 2.5f, 5.5f},
    {256, 8.f, 44.f, 5.f, 92.f, 10.f, 3, 7.f, 20.f},
}};

// Where the branch pairs leave an arm and how long they are, as shares of the
// arm, for one, two and three pairs.
struct Branch {
  float at, length;
};
constexpr std::array<std::array<Branch, 3>, 3> kBranches{{
    {{{0.55f, 0.36f}}},
    {{{0.42f, 0.38f}, {0.7f, 0.26f}}},
    {{{0.36f, 0.34f}, {0.58f, 0.28f}, {0.78f, 0.18f}}},
}};

// Drawn this many times larger and averaged down: every size antialiased the
// same way on any renderer.
constexpr unsigned kSupersample = 8;

// A stroke of `width` from `from`, `length` long at `degrees` (0 is to the
// right, 90 down).
void stroke(sf::RenderTarget& target, sf::Vector2f from, float degrees, float length, float width,
            sf::Color colour) {
  sf::RectangleShape shape({length, width});
  shape.setOrigin({0.f, width / 2.f});
  shape.setPosition(from);
  shape.setRotation(sf::degrees(degrees));
  shape.setFillColor(colour);
  target.draw(shape);
}

// A square with round corners of `radius`.
void roundedSquare(sf::RenderTarget& target, float left, float side, float radius,
                   sf::Color colour) {
  const float right = left + side;
  draw::rect(target, {left + radius, left}, {side - 2.f * radius, side}, colour);
  draw::rect(target, {left, left + radius}, {side, side - 2.f * radius}, colour);
  for (const float x : {left + radius, right - radius}) {
    for (const float y : {left + radius, right - radius}) {
      draw::circle(target, {x, y}, radius, colour);
    }
  }
}

void drawCrystal(sf::RenderTarget& target, const Crystal& c) {
  const auto size = static_cast<float>(c.size);
  const sf::Vector2f centre{size / 2.f, size / 2.f};
  // The tile: the game's blue edge around the night.
  roundedSquare(target, c.margin, size - 2.f * c.margin, c.corner, look::kDeepBlue);
  roundedSquare(target, c.margin + c.border, size - 2.f * (c.margin + c.border),
                c.corner - c.border, look::kNight);
  const bool large = c.size >= 40;
  if (large) {
    draw::circle(target, centre, c.arm * 0.95f, look::withAlpha(look::kDeepBlue, 48));
  }
  for (int k = 0; k < 6; ++k) {
    const float angle = -90.f + 60.f * static_cast<float>(k);
    const sf::Vector2f direction = sf::Vector2f(1.f, 0.f).rotatedBy(sf::degrees(angle));
    stroke(target, centre, angle, c.arm, c.armWidth, look::kPaleBlue);
    for (int b = 0; b < c.branches; ++b) {
      const Branch branch = kBranches.at(c.branches - 1).at(b);
      const sf::Vector2f from = centre + direction * (c.arm * branch.at);
      for (const float side : {-60.f, 60.f}) {
        stroke(target, from, angle + side, c.arm * branch.length, c.branchWidth, look::kPaleBlue);
      }
    }
    if (large) {
      draw::circle(target, centre + direction * c.arm, c.armWidth * 0.7f, look::kSnow);
    }
  }
  if (c.size >= 64) {
    sf::CircleShape plate(c.hub * 1.9f, 6);
    plate.setOrigin({plate.getRadius(), plate.getRadius()});
    plate.setPosition(centre);
    plate.setRotation(sf::degrees(30.f));  // corners between the arms
    plate.setFillColor(look::kDeepBlue);
    plate.setOutlineColor(look::kPaleBlue);
    plate.setOutlineThickness(-c.armWidth * 0.35f);
    target.draw(plate);
  }
  draw::circle(target, centre, c.hub, look::kSnow);
}

// Each block of n x n pixels becomes one, its colours weighed by their alpha.
sf::Image shrink(const sf::Image& big, unsigned size, unsigned n) {
  sf::Image small({size, size}, sf::Color::Transparent);
  for (unsigned y = 0; y < size; ++y) {
    for (unsigned x = 0; x < size; ++x) {
      unsigned red = 0, green = 0, blue = 0, alpha = 0;
      for (unsigned v = 0; v < n; ++v) {
        for (unsigned u = 0; u < n; ++u) {
          const sf::Color p = big.getPixel({x * n + u, y * n + v});
          red += p.r * p.a;
          green += p.g * p.a;
          blue += p.b * p.a;
          alpha += p.a;
        }
      }
      if (alpha == 0) {
        continue;
      }
      const auto mean = [alpha](unsigned sum) {
        return static_cast<std::uint8_t>((sum + alpha / 2) / alpha);
      };
      small.setPixel({x, y}, {mean(red), mean(green), mean(blue),
                              static_cast<std::uint8_t>((alpha + n * n / 2) / (n * n))});
    }
  }
  return small;
}

void put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xffu));
  out.push_back(static_cast<std::uint8_t>((value >> 8u) & 0xffu));
}

void put32(std::vector<std::uint8_t>& out, std::size_t value) {
  put16(out, static_cast<unsigned>(value & 0xffffu));
  put16(out, static_cast<unsigned>((value >> 16u) & 0xffffu));
}

// The icon file's BMP form of a picture: the header of a bitmap twice as high
// (colour and mask), the colour rows as BGRA from the bottom, then the
// one-bit mask (1 where the picture is fully transparent) in rows of 32 bits.
std::vector<std::uint8_t> bitmap(const sf::Image& picture) {
  const unsigned size = picture.getSize().x;
  const unsigned maskRow = (size + 31) / 32 * 4;
  std::vector<std::uint8_t> out;
  for (const std::size_t field : {40u, size, 2 * size}) {
    put32(out, field);
  }
  put16(out, 1);   // planes
  put16(out, 32);  // bits per pixel
  for (const std::size_t field : {0u, size * size * 4 + maskRow * size, 0u, 0u, 0u, 0u}) {
    put32(out, field);
  }
  for (unsigned y = size; y-- > 0;) {
    for (unsigned x = 0; x < size; ++x) {
      const sf::Color p = picture.getPixel({x, y});
      out.insert(out.end(), {p.b, p.g, p.r, p.a});
    }
  }
  for (unsigned y = size; y-- > 0;) {
    std::vector<std::uint8_t> row(maskRow, 0);
    for (unsigned x = 0; x < size; ++x) {
      if (picture.getPixel({x, y}).a == 0) {
        row[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

sf::Image draw(unsigned size) {
  const auto crystal = std::ranges::find(kCrystals, size, &Crystal::size);
  if (crystal == kCrystals.end()) {
    return {};
  }
  sf::RenderTexture canvas({size * kSupersample, size * kSupersample});
  const auto side = static_cast<float>(size);
  canvas.setView(sf::View(sf::FloatRect({0.f, 0.f}, {side, side})));
  canvas.clear(sf::Color::Transparent);
  drawCrystal(canvas, *crystal);
  canvas.display();
  return shrink(canvas.getTexture().copyToImage(), size, kSupersample);
}

std::vector<std::uint8_t> icoFile(const std::vector<sf::Image>& pictures) {
  std::vector<std::vector<std::uint8_t>> images;
  for (const sf::Image& picture : pictures) {
    const std::optional<std::vector<std::uint8_t>> png =
        picture.getSize().x >= 256 ? picture.saveToMemory("png") : std::nullopt;
    images.push_back(png ? *png : bitmap(picture));
  }
  std::vector<std::uint8_t> out;
  put16(out, 0);
  put16(out, 1);  // an icon, not a cursor
  put16(out, static_cast<unsigned>(images.size()));
  std::size_t offset = 6 + 16 * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    const unsigned size = pictures[i].getSize().x;
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));  // 0 stands for 256
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
    put16(out, 0);  // no palette
    put16(out, 1);
    put16(out, 32);
    put32(out, images[i].size());
    put32(out, offset);
    offset += images[i].size();
  }
  for (const std::vector<std::uint8_t>& image : images) {
    out.insert(out.end(), image.begin(), image.end());
  }
  return out;
}

}  // namespace icon
