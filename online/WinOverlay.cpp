#include <string>

#include "app/Game.h"
#include "render/Draw.h"

using draw::kAmber;
using draw::kIceBlue;
using draw::kSnow;
using draw::withAlpha;

namespace {

// A small caption over a large value, inside the stats box.
void drawColumn(sf::RenderTarget& target, const sf::Font& font, sf::Vector2f at,
                const std::string& caption, const std::string& value, sf::Color valueColour) {
  draw::text(target, font, caption, 10, withAlpha(kSnow, 80), at + sf::Vector2f(0.f, 10.f));
  draw::text(target, font, value, 20, valueColour, at + sf::Vector2f(0.f, 26.f));
}

// The best time of every level won so far; the current level in amber.
void drawBestTimes(sf::RenderTarget& target, const sf::Font& font,
                   const std::array<BestRecord, kLevelCount>& records, int current, float centreX,
                   float top) {
  bool any = false;
  for (const BestRecord& record : records) {
    any = any || record.hasBest;
  }
  if (!any) {
    return;
  }
  draw::centredText(target, font, "BESTIDER", 10, withAlpha(kSnow, 50), centreX, top);
  float y = top + 18.f;
  for (int i = 0; i < kLevelCount; ++i) {
    const BestRecord& record = records[static_cast<std::size_t>(i)];
    if (!record.hasBest) {
      continue;
    }
    const std::string line = std::string(kLevels[static_cast<std::size_t>(i)].label) + "   " +
                             formatTime(record.bestTime);
    draw::centredText(target, font, line, 11, i == current ? kAmber : withAlpha(kSnow, 60), centreX,
                      y);
    y += 16.f;
  }
}

}  // namespace

void Game::drawWinOverlay() {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = draw::targetSize(window);
  const float cx = size.x / 2.f;
  const float left = cx - 250.f;
  const float top = size.y / 2.f - 180.f;
  const sf::Vector2f box(left + 20.f, top + 96.f);
  const BestRecord& record = bestRecords[static_cast<std::size_t>(levelIndex)];

  draw::rect(window, {0.f, 0.f}, size, sf::Color(4, 8, 16, 160));
  draw::rect(window, {left, top}, {500.f, 360.f}, sf::Color(6, 12, 26, 245),
             withAlpha(kIceBlue, 80), 1.f);
  draw::centredText(window, displayFont, L"FULLF\u00D8RT!", 42, kSnow, cx, top + 22.f);
  draw::centredText(window, monoFont,
                    std::string(kLevels[static_cast<std::size_t>(levelIndex)].name), 12,
                    withAlpha(kSnow, 110), cx, top + 72.f);

  draw::rect(window, box, {460.f, 72.f}, withAlpha(kIceBlue, 12), withAlpha(kIceBlue, 30), 1.f);
  drawColumn(window, monoFont, box + sf::Vector2f(30.f, 0.f), "TID", formatTime(elapsedTime),
             kIceBlue);
  drawColumn(window, monoFont, box + sf::Vector2f(180.f, 0.f), "TREKK", std::to_string(moves),
             kIceBlue);
  if (record.hasBest) {
    drawColumn(window, monoFont, box + sf::Vector2f(300.f, 0.f), "BESTID",
               formatTime(record.bestTime), kAmber);
  }

  // This run set (or matched) the record.
  const bool newBest = record.hasBest && record.bestTime == elapsedTime;
  if (newBest) {
    draw::rect(window, box + sf::Vector2f(0.f, 80.f), {460.f, 26.f}, withAlpha(kAmber, 20),
               withAlpha(kAmber, 60), 1.f);
    draw::centredText(window, monoFont, "** NY BESTID! **", 13, kAmber, cx, box.y + 85.f);
  }
  drawBestTimes(window, monoFont, bestRecords, levelIndex, cx,
                box.y + 72.f + (newBest ? 42.f : 16.f));
}

// The menu at the foot of the win panel, drawn over it.
void Game::drawWinMenu() {
  if (!fontsLoaded) {
    return;
  }
  const sf::Vector2f size = draw::targetSize(window);
  const float top = size.y / 2.f - 180.f;
  const auto items = static_cast<float>(menuItems.size());
  drawMenu(top + 360.f - 58.f * items - 10.f, size.x / 2.f, 380.f);
}
