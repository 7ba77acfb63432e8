#include <string>

#include "app/Game.h"
#include "render/Look.h"

using look::kAmber;
using look::kDeepBlue;
using look::kSnow;
using look::withAlpha;

namespace {

// A small caption over a large value, inside the stats box.
void drawColumn(Canvas& canvas, const sf::Font& font, sf::Vector2f at, const std::string& caption,
                const std::string& value, sf::Color valueColour) {
  canvas.text(font, caption, 10, withAlpha(kSnow, 80), at + sf::Vector2f(0.f, 10.f));
  canvas.text(font, value, 20, valueColour, at + sf::Vector2f(0.f, 26.f));
}

// The best time of every level won so far; the current level in amber.
void drawBestTimes(Canvas& canvas, const sf::Font& font,
                   const std::array<BestRecord, kLevelCount>& records, int current, float centreX,
                   float top) {
  bool any = false;
  for (const BestRecord& record : records) {
    any = any || record.hasBest;
  }
  if (!any) {
    return;
  }
  canvas.centredText(font, "BESTIDER", 10, withAlpha(kSnow, 50), centreX, top);
  float y = top + 18.f;
  for (int i = 0; i < kLevelCount; ++i) {
    const BestRecord& record = records[static_cast<std::size_t>(i)];
    if (!record.hasBest) {
      continue;
    }
    const std::string line = std::string(kLevels[static_cast<std::size_t>(i)].label) + "   " +
                             formatTime(record.bestTime);
    canvas.centredText(font, line, 11, i == current ? kAmber : withAlpha(kSnow, 60), centreX, y);
    y += 16.f;
  }
}

}  // namespace

void Game::drawWinOverlay(Canvas& canvas) const {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float cx = size.x / 2.f;
  const float left = cx - look::kWinPanelSize.x / 2.f;
  const float top = size.y / 2.f - look::kWinPanelSize.y / 2.f;
  const sf::Vector2f box(left + 20.f, top + 96.f);
  const BestRecord& record = bestRecords[static_cast<std::size_t>(levelIndex)];

  canvas.rect({0.f, 0.f}, size, withAlpha(look::kNight, 160));
  canvas.rect({left, top}, look::kWinPanelSize, withAlpha(look::kPanel, 245),
              withAlpha(kDeepBlue, 80), 1.f);
  canvas.centredText(displayFont, L"FULLF\u00D8RT!", 42, kSnow, cx, top + 22.f);
  canvas.centredText(monoFont, std::string(kLevels[static_cast<std::size_t>(levelIndex)].name), 12,
                     withAlpha(kSnow, 110), cx, top + 72.f);

  canvas.rect(box, {460.f, 72.f}, withAlpha(kDeepBlue, 12), withAlpha(kDeepBlue, 30), 1.f);
  drawColumn(canvas, monoFont, box + sf::Vector2f(30.f, 0.f), "TID", formatTime(elapsedTime),
             kDeepBlue);
  drawColumn(canvas, monoFont, box + sf::Vector2f(180.f, 0.f), "TREKK", std::to_string(moves),
             kDeepBlue);
  if (record.hasBest) {
    drawColumn(canvas, monoFont, box + sf::Vector2f(300.f, 0.f), "BESTID",
               formatTime(record.bestTime), kAmber);
  }

  // This run set (or matched) the record.
  const bool newBest = record.hasBest && record.bestTime == elapsedTime;
  if (newBest) {
    canvas.rect(box + sf::Vector2f(0.f, 80.f), {460.f, 26.f}, withAlpha(kAmber, 20),
                withAlpha(kAmber, 60), 1.f);
    canvas.centredText(monoFont, "** NY BESTID! **", 13, kAmber, cx, box.y + 85.f);
  }
  drawBestTimes(canvas, monoFont, bestRecords, levelIndex, cx,
                box.y + 72.f + (newBest ? 42.f : 16.f));
}

// The menu at the foot of the win panel, drawn over it.
void Game::drawWinMenu(Canvas& canvas) const {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float top = size.y / 2.f - look::kWinPanelSize.y / 2.f;
  const auto items = static_cast<float>(menuItems.size());
  drawMenu(canvas, top + look::kWinPanelSize.y - look::kMenuRowPitch * items - 10.f, size.x / 2.f,
           380.f);
}
