#include <string>

#include "app/Game.h"
#include "render/Draw.h"

namespace {

using draw::kAmber;
using draw::kIceBlue;
using draw::kSnow;
using draw::withAlpha;

// "SNO" in blue and "KRYSTAL" in snow white, set as one word.
void drawTitleWord(sf::RenderTarget& target, const sf::Font& font, float centreX, float y) {
  const float w1 = draw::textWidth(font, "SNO", 96);
  const float w2 = draw::textWidth(font, "KRYSTAL", 96);
  const float x1 = centreX - (w1 + w2) / 2.f;
  draw::text(target, font, "SNO", 96, kIceBlue, {x1, y});
  draw::text(target, font, "KRYSTAL", 96, kSnow, {x1 + w1, y});
}

}  // namespace

void Game::drawTitleScreen() {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = draw::targetSize(window);
  const float cx = size.x / 2.f;
  const float panelTop = size.y * 0.28f;
  drawTitleWord(window, displayFont, cx, size.y * 0.1f);
  draw::centredText(window, monoFont, "arktisk glidepuslespill", 13, withAlpha(kSnow, 110), cx,
                    size.y * 0.1f + 100.f);
  draw::rect(window, {cx - 260.f, panelTop}, {520.f, 370.f}, sf::Color(6, 12, 24, 210),
             withAlpha(kIceBlue, 30), 1.f);
  draw::centredText(window, monoFont, L"VELG NIV\u00C5", 11, withAlpha(kIceBlue, 140), cx,
                    panelTop + 18.f);

  const float left = cx - 244.f;
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(i)];
    const BestRecord& best = bestRecords[static_cast<std::size_t>(i)];
    const bool selected = i == menuSelection;
    const float y = panelTop + 48.f + 62.f * static_cast<float>(i);
    draw::rect(window, {left, y}, {488.f, 58.f}, withAlpha(kIceBlue, selected ? 50 : 8),
               withAlpha(kIceBlue, selected ? 180 : 20), 1.f);
    draw::text(window, monoFont, std::to_string(i + 1), 22,
               withAlpha(kIceBlue, selected ? 255 : 80), {left + 18.f, y + 18.f});
    draw::text(window, displayFont, std::string(level.label), 17,
               withAlpha(kSnow, selected ? 255 : 160), {left + 52.f, y + 8.f});
    const std::string details = std::string(level.name) + "   " + std::to_string(level.columns) +
                                "x" + std::to_string(level.rows);
    draw::text(window, monoFont, details, 11, withAlpha(kSnow, 70), {left + 52.f, y + 30.f});
    if (best.hasBest) {
      draw::text(window, monoFont, formatTime(best.bestTime), 13, kAmber, {cx + 150.f, y + 18.f});
    }
    if (selected) {
      draw::text(window, monoFont, ">", 14, kIceBlue, {left + 4.f, y + 20.f});
    }
  }

  draw::centredText(window, monoFont, "PIL OPP/NED = velg   ENTER / SPACE = start   1-5 = snarvei",
                    11, withAlpha(kSnow, 40), cx, panelTop + 370.f + 18.f);
  draw::centredText(window, monoFont, "Laget av SNOKRYSTAL-teamet", 10, withAlpha(kSnow, 25), cx,
                    size.y * 0.95f);
}
