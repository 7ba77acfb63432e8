#include "render/Hud.h"

#include <cmath>
#include <cstdio>

#include "render/Canvas.h"
#include "render/Look.h"

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

void Hud::draw(Canvas& canvas) const {
  using look::withAlpha;
  const float w = canvas.size().x;
  canvas.rect({0.f, 0.f}, {w, look::kStatusBandHeight}, withAlpha(look::kStatusBand, 210));
  canvas.rect({0.f, look::kStatusBandHeight - 1.f}, {w, 1.f}, withAlpha(look::kDeepBlue, 28));
  if (monoFont == nullptr || displayFont == nullptr) {
    return;
  }
  canvas.centredText(*displayFont, levelText, 15, look::kSnow, w / 2.f, 18.f);
  drawStat(canvas, w * 0.12f, "TID", timeText, look::kDeepBlue);
  drawStat(canvas, w * 0.26f, "TREKK", movesText, look::kDeepBlue);
  drawStat(canvas, w * 0.74f, "BESTID", bestText, look::kAmber);
  // The sound column shows its label only.
  drawStat(canvas, w * 0.88f, "LYD", "", withAlpha(look::kSnow, 110));
}

void Hud::drawStat(Canvas& canvas, float centreX, const std::string& label,
                   const std::string& value, sf::Color valueColour) const {
  canvas.centredText(*monoFont, label, 10, look::withAlpha(look::kSnow, 90), centreX, 8.f, 1.6f);
  canvas.centredText(*monoFont, value, 18, valueColour, centreX, 24.f);
}
