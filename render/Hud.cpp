#include "render/Hud.h"

#include <cmath>
#include <cstdio>

#include "render/Draw.h"

std::string formatTime(float seconds) {
  // Whole hundredths first, so that 59.996 becomes 1:00.00 and never 0:60.00.
  const double clamped =
      std::isfinite(seconds) && seconds > 0.f ? static_cast<double>(seconds) : 0.0;
  const long long hundredths = std::llround(clamped * 100.0);
  const long long minutes = hundredths / 6000;
  const long long rest = hundredths - minutes * 6000;
  char text[48];
  // 48 bytes hold any long long minutes: the text is never cut.
  static_cast<void>(
      std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", minutes, rest / 100, rest % 100));
  return text;
}

void Hud::refresh(float elapsed, int moves, std::string_view levelLabel, const BestRecord& best) {
  timeText = formatTime(elapsed);
  movesText = std::to_string(moves);
  levelText = std::string(levelLabel);
  bestText = best.hasBest ? formatTime(best.bestTime) : "--:--";
}

void Hud::draw(sf::RenderTarget& target) const {
  const float w = draw::targetSize(target).x;
  draw::rect(target, {0.f, 0.f}, {w, 56.f}, sf::Color(4, 8, 22, 210));
  draw::rect(target, {0.f, 55.f}, {w, 1.f}, sf::Color(55, 138, 221, 28));
  if (monoFont == nullptr || displayFont == nullptr) {
    return;
  }
  draw::centredText(target, *displayFont, levelText, 15, sf::Color(216, 232, 248, 255), w / 2.f,
                    18.f);
  const sf::Color blue(55, 138, 221, 255);
  drawStat(target, w * 0.12f, "TID", timeText, blue);
  drawStat(target, w * 0.26f, "TREKK", movesText, blue);
  drawStat(target, w * 0.74f, "BESTID", bestText, sf::Color(240, 160, 48, 255));
  // The sound column shows its label only.
  drawStat(target, w * 0.88f, "LYD", "", sf::Color(216, 232, 248, 110));
}

void Hud::drawStat(sf::RenderTarget& target, float centreX, const std::string& label,
                   const std::string& value, sf::Color valueColour) const {
  draw::centredText(target, *monoFont, label, 10, sf::Color(216, 232, 248, 90), centreX, 8.f, 1.6f);
  draw::centredText(target, *monoFont, value, 18, valueColour, centreX, 24.f);
}
