#include <string>

#include "app/Game.h"
#include "render/Look.h"

using look::kDeepBlue;
using look::kSnow;
using look::withAlpha;

void Game::drawPauseOverlay(Canvas& canvas) const {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float cx = size.x / 2.f;
  const float top = size.y / 2.f - 140.f;
  canvas.rect({0.f, 0.f}, size, withAlpha(look::kNight, 180));
  canvas.rect({cx - 220.f, top}, {440.f, 280.f}, withAlpha(look::kPanel, 240),
              withAlpha(kDeepBlue, 60), 1.f);
  canvas.centredText(displayFont, "PAUSE", 36, kSnow, cx, top + 22.f);
  const LevelInfo& level = kLevels[static_cast<std::size_t>(levelIndex)];
  canvas.centredText(monoFont, std::string(level.name), 12, withAlpha(kSnow, 110), cx, top + 68.f);
  canvas.centredText(monoFont, formatTime(elapsedTime) + "   " + std::to_string(moves) + " TREKK",
                     13, kDeepBlue, cx, top + 88.f);
  drawMenu(canvas, top + 118.f, cx, 340.f);
}

void Game::drawMenu(Canvas& canvas, float top, float centreX, float width) const {
  const float left = centreX - width / 2.f;
  for (std::size_t i = 0; i < menuItems.size(); ++i) {
    const MenuItem& item = menuItems[i];
    const bool selected = static_cast<std::int32_t>(i) == menuSelection;
    const float y = top + look::kMenuRowPitch * static_cast<float>(i);
    const sf::Vector2f button(width, look::kMenuButtonHeight);
    if (selected) {
      canvas.rect({left, y}, button, withAlpha(kDeepBlue, 60), withAlpha(kDeepBlue, 200), 1.f);
    } else {
      canvas.rect({left, y}, button, withAlpha(look::kButton, 200), withAlpha(kDeepBlue, 40), 1.f);
    }
    if (!fontsLoaded) {
      continue;
    }
    if (selected) {
      canvas.text(monoFont, ">", 18, withAlpha(kDeepBlue, 220), {left + 14.f, y + 14.f});
    }
    const int labelAlpha = selected ? 255 : (item.primary ? 180 : 120);
    canvas.centredText(monoFont, item.label, 16, withAlpha(kSnow, labelAlpha), centreX, y + 14.f);
  }
}
