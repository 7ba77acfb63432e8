#pragma once

// The game's look in one place: its colours, and the layout numbers that
// more than one screen or file goes by. The colours are opaque; withAlpha
// gives the shades the screens draw with.

#include <cstdint>

#include <SFML/Graphics/Color.hpp>
#include <SFML/System/Vector2.hpp>

namespace look {

// A colour with its alpha byte replaced; the value is clamped to 0..255.
constexpr sf::Color withAlpha(sf::Color colour, int alpha) {
  colour.a = static_cast<std::uint8_t>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
  return colour;
}

// The game's blue: "SNO" of the title, the figure, the numbers, every outline.
inline constexpr sf::Color kDeepBlue{55, 138, 221, 255};
// The pale blue of frost: cracks, sparks, the slide ring, the trail's insets.
inline constexpr sf::Color kPaleBlue{168, 216, 248, 255};
// Snow white, the colour of text.
inline constexpr sf::Color kSnow{216, 232, 248, 255};
// Best times and whatever went wrong.
inline constexpr sf::Color kAmber{240, 160, 48, 255};
// The goal, the backdrop's grid, a score that was sent.
inline constexpr sf::Color kGreen{29, 158, 117, 255};
inline constexpr sf::Color kViolet{108, 92, 231, 255};  // confetti only
inline constexpr sf::Color kWhite{255, 255, 255, 255};

// The polar night behind everything: the clear colour, and the veils that
// dim a screen under a panel.
inline constexpr sf::Color kNight{4, 8, 16, 255};
inline constexpr sf::Color kStatusBand{4, 8, 22, 255};
inline constexpr sf::Color kPanel{6, 12, 26, 255};  // the pause, win and name entry panels
inline constexpr sf::Color kTitlePanel{6, 12, 24, 255};
inline constexpr sf::Color kButton{8, 14, 28, 255};  // a menu button not selected
inline constexpr sf::Color kWall{26, 58, 92, 255};
inline constexpr sf::Color kPlayerCore{220, 240, 255, 255};

// The backdrop: a faint grid line every 60 pixels.
inline constexpr sf::Color kGrid = withAlpha(kGreen, 10);
inline constexpr unsigned kGridStep = 60;

// The status band across the top of the playing screens; the board is
// centred in the window's height below it.
inline constexpr float kStatusBandHeight = 56.f;

// The win panel, centred in the window; its menu ends 20 pixels above the
// panel's bottom edge.
inline constexpr sf::Vector2f kWinPanelSize{500.f, 360.f};
// The name entry's panel over it, as tall as the prompt or the outcome needs.
inline constexpr float kNameEntryPanelWidth = 440.f;
inline constexpr float kPromptPanelHeight = 200.f;
inline constexpr float kOutcomePanelHeight = 160.f;

// The pause and win menus: each button 48 pixels high, one every 58.
inline constexpr float kMenuButtonHeight = 48.f;
inline constexpr float kMenuRowPitch = 58.f;

}  // namespace look
