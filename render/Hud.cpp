#include "render/Hud.h"

std::string formatTime(float /*seconds*/) { return {}; }
void Hud::refresh(float, int, std::string_view, const BestRecord&) {}
void Hud::draw(sf::RenderTarget&) const {}
void Hud::drawStat(sf::RenderTarget&, float, const std::string&, const std::string&,
                   sf::Color) const {}
