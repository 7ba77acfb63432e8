#include <string>

#include "app/Game.h"
#include "render/Draw.h"

using draw::kIceBlue;
using draw::kSnow;
using draw::withAlpha;

void Game::drawPauseOverlay() {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = draw::targetSize(window);
  const float cx = size.x / 2.f;
  const float top = size.y / 2.f - 140.f;
  draw::rect(window, {0.f, 0.f}, size, sf::Color(4, 8, 16, 180));
  draw::rect(window, {cx - 220.f, top}, {440.f, 280.f}, sf::Color(6, 12, 26, 240),
             withAlpha(kIceBlue, 60), 1.f);
  draw::centredText(window, displayFont, "PAUSE", 36, kSnow, cx, top + 22.f);
  const LevelInfo& level = kLevels[static_cast<std::size_t>(levelIndex)];
  draw::centredText(window, monoFont, std::string(level.name), 12, withAlpha(kSnow, 110), cx,
                    top + 68.f);
  draw::centredText(window, monoFont,
                    formatTime(elapsedTime) + "   " + std::to_string(moves) + " TREKK", 13,
                    kIceBlue, cx, top + 88.f);
  drawMenu(top + 118.f, cx, 340.f);
}

void Game::drawMenu(float top, float centreX, float width) {
  const float left = centreX - width / 2.f;
  for (std::size_t i = 0; i < menuItems.size(); ++i) {
    const MenuItem& item = menuItems[i];
    const bool selected = static_cast<std::int32_t>(i) == menuSelection;
    const float y = top + 58.f * static_cast<float>(i);
    if (selected) {
      draw::rect(window, {left, y}, {width, 48.f}, withAlpha(kIceBlue, 60),
                 withAlpha(kIceBlue, 200), 1.f);
    } else {
      draw::rect(window, {left, y}, {width, 48.f}, sf::Color(8, 14, 28, 200),
                 withAlpha(kIceBlue, 40), 1.f);
    }
    if (!fontsLoaded) {
      continue;
    }
    if (selected) {
      draw::text(window, monoFont, ">", 18, withAlpha(kIceBlue, 220), {left + 14.f, y + 14.f});
    }
    const int labelAlpha = selected ? 255 : (item.primary ? 180 : 120);
    draw::centredText(window, monoFont, item.label, 16, withAlpha(kSnow, labelAlpha), centreX,
                      y + 14.f);
  }
}
