#include <string>

#include "app/Game.h"
#include "render/Look.h"

namespace {

using look::kAmber;
using look::kDeepBlue;
using look::kSnow;
using look::withAlpha;

// "SNO" in blue and "KRYSTAL" in snow white, set as one word.
void drawTitleWord(Canvas& canvas, const sf::Font& font, float centreX, float y) {
  const float w1 = canvas.textWidth(font, "SNO", 96);
  const float w2 = canvas.textWidth(font, "KRYSTAL", 96);
  const float x1 = centreX - (w1 + w2) / 2.f;
  canvas.text(font, "SNO", 96, kDeepBlue, {x1, y});
  canvas.text(font, "KRYSTAL", 96, kSnow, {x1 + w1, y});
}

}  // namespace

void Game::drawTitleScreen(Canvas& canvas) const {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float cx = size.x / 2.f;
  const float panelTop = size.y * 0.28f;
  drawTitleWord(canvas, displayFont, cx, size.y * 0.1f);
  canvas.centredText(monoFont, "arktisk glidepuslespill", 13, withAlpha(kSnow, 110), cx,
                     size.y * 0.1f + 100.f);
  canvas.rect({cx - 260.f, panelTop}, {520.f, 370.f}, withAlpha(look::kTitlePanel, 210),
              withAlpha(kDeepBlue, 30), 1.f);
  canvas.centredText(monoFont, L"VELG NIV\u00C5", 11, withAlpha(kDeepBlue, 140), cx,
                     panelTop + 18.f);

  const float left = cx - 244.f;
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = kLevels[static_cast<std::size_t>(i)];
    const BestRecord& best = bestRecords[static_cast<std::size_t>(i)];
    const bool selected = i == menuSelection;
    const float y = panelTop + 48.f + 62.f * static_cast<float>(i);
    canvas.rect({left, y}, {488.f, 58.f}, withAlpha(kDeepBlue, selected ? 50 : 8),
                withAlpha(kDeepBlue, selected ? 180 : 20), 1.f);
    canvas.text(monoFont, std::to_string(i + 1), 22, withAlpha(kDeepBlue, selected ? 255 : 80),
                {left + 18.f, y + 18.f});
    canvas.text(displayFont, std::string(level.label), 17, withAlpha(kSnow, selected ? 255 : 160),
                {left + 52.f, y + 8.f});
    const std::string details = std::string(level.name) + "   " + std::to_string(level.columns) +
                                "x" + std::to_string(level.rows);
    canvas.text(monoFont, details, 11, withAlpha(kSnow, 70), {left + 52.f, y + 30.f});
    if (best.hasBest) {
      canvas.text(monoFont, formatTime(best.bestTime), 13, kAmber, {cx + 150.f, y + 18.f});
    }
    if (selected) {
      canvas.text(monoFont, ">", 14, kDeepBlue, {left + 4.f, y + 20.f});
    }
  }

  canvas.centredText(monoFont, "PIL OPP/NED = velg   ENTER / SPACE = start   1-5 = snarvei", 11,
                     withAlpha(kSnow, 40), cx, panelTop + 370.f + 18.f);
  canvas.centredText(monoFont, "Laget av SNOKRYSTAL-teamet", 10, withAlpha(kSnow, 25), cx,
                     size.y * 0.95f);
}
