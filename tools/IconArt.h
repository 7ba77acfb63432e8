#pragma once

// The game's icon: a six-armed snow crystal in the ice blues on the polar
// night, drawn anew for each size Windows asks for (the small ones with fewer,
// thicker strokes), and the Windows icon file that holds them all. The picture
// tool (tools/icon.cpp) writes them to assets/icon/, and the tests draw them
// again against those files.

#include <array>
#include <cstdint>
#include <vector>

#include <SFML/Graphics/Image.hpp>

namespace icon {

// Explorer, the taskbar, Alt-Tab and the title bar at 100 % to 200 %, and
// Explorer's large views.
inline constexpr std::array<unsigned, 8> kSizes{16, 20, 24, 32, 40, 48, 64, 256};

// The icon at one of kSizes, straight alpha. Needs a graphics context (a
// display, or xvfb-run).
sf::Image draw(unsigned size);

// A Windows .ico of the pictures, smallest first: 256 pixels as PNG, the
// others as 32-bit BMP with their transparency mask.
std::vector<std::uint8_t> icoFile(const std::vector<sf::Image>& pictures);

}  // namespace icon
