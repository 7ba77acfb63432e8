#pragma once

#include <string>
#include <string_view>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>

#include "online/BestRecord.h"

struct Canvas;

// Minutes, ":", seconds with two decimals: 1:05.25.
std::string formatTime(float seconds);

// The status bar's texts, rebuilt by the update and only read when drawn.
struct Hud {
  const sf::Font* monoFont = nullptr;
  const sf::Font* displayFont = nullptr;
  std::string timeText = "0:00";
  std::string movesText = "0";
  std::string levelText = "LEVEL 1";
  std::string bestText = "--:--";

  void refresh(float elapsed, int moves, std::string_view levelLabel, const BestRecord& best);
  void draw(Canvas& canvas) const;
  void drawStat(Canvas& canvas, float centreX, const std::string& label, const std::string& value,
                sf::Color valueColour) const;
};
